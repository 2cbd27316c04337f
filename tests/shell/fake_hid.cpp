// Stand-in device library that only counts calls, so the windows' library calls can be checked.
#include "device/HidApi.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {
std::mutex g_mutex;
std::map<std::string, int>& calls() {
    static std::map<std::string, int> m;
    return m;
}
int g_lastDriverStatus = -1;
template <typename R> R zeroOf() {
    return R();
}
void note(const char* name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++calls()[name];
}
} // namespace

extern "C" {
__attribute__((visibility("default"))) int fake_calls(const char* name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = calls().find(name);
    return it == calls().end() ? 0 : it->second;
}
__attribute__((visibility("default"))) int fake_last_driver_status() {
    return g_lastDriverStatus;
}
__attribute__((visibility("default"))) void fake_reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    calls().clear();
    g_lastDriverStatus = -1;
}

// Every function counts itself; the driver-status call also keeps its argument.
#define UsbServer_SetPCDriverStatus UsbServer_SetPCDriverStatus_counted
#define ZF_FAKE(ret, name, args)                                                                             \
    ret name args {                                                                                          \
        note(#name);                                                                                         \
        return zeroOf<ret>();                                                                                \
    }
ZF_HIDUSB_FUNCTIONS(ZF_FAKE)
#undef UsbServer_SetPCDriverStatus
__attribute__((visibility("default"))) void UsbServer_SetPCDriverStatus(int active) {
    note("UsbServer_SetPCDriverStatus");
    g_lastDriverStatus = active;
}
}
