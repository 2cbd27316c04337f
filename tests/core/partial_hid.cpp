// Exports the whole interface except UsbFinderC_GetVersion. Every function answers "success" (or a
// null list), so a caller that reached one instead of the loader's fallbacks would see a non-zero
// result. Defining them from the loader's list also checks that list against the header: a C
// function redefined with another signature does not compile.
#include "device/HidApi.h"

#include <type_traits>

namespace {
template <typename R> R partialAnswer() {
    if constexpr (std::is_void_v<R>)
        return;
    else if constexpr (std::is_pointer_v<R>)
        return nullptr;
    else
        return R(1);
}
} // namespace

#define ZF_PARTIAL_DEFINE(ret, name, args)                                                                   \
    HIDUSB_API ret name args {                                                                               \
        return partialAnswer<ret>();                                                                         \
    }
// The withheld function is defined under another name, so the library lacks exactly that symbol.
#define UsbFinderC_GetVersion UsbFinderC_GetVersion_withheld
extern "C" {
ZF_HIDUSB_FUNCTIONS(ZF_PARTIAL_DEFINE)
}
