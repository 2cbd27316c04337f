// Fuzz target for the held-device file the program leaves in the runtime folder, which zentrafoxctl
// reads: any bytes give either nothing held or a positive pid with a path.
#include "platform/RuntimeDir.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RuntimeDir::HeldDevice held =
        RuntimeDir::parseHeldDevice(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if ((held.pid > 0) == held.path.isEmpty() || held.path.contains(QLatin1Char('\n')))
        std::abort();
    return 0;
}
