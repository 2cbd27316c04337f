// Fuzz target for the device library's files: the input is parsed as the device description, as the
// device table (whose receiver lists give the classes), and as each described device's state file.
#include "Virtual.h"

#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    zf::Registry registry;
    std::istringstream description(text);
    const std::string error = registry.parseDescription(description);
    std::istringstream table(text);
    zf::tableReceiverPids(table);
    // An input that is no description still gives a mouse and a receiver to read state files for.
    if (!error.empty() || registry.mice.empty() || registry.receivers.empty()) {
        registry.mice.resize(1);
        registry.receivers.resize(1);
    }
    for (zf::Mouse& m : registry.mice) {
        std::istringstream state(text);
        registry.readState(m, state);
        if (m.profiles.size() != size_t(zf::kProfileCount) || m.profile < 0 || m.profile >= zf::kProfileCount)
            __builtin_trap();
    }
    for (zf::Receiver& r : registry.receivers) {
        std::istringstream lights(text);
        registry.readState(r, lights);
    }
    return 0;
}
