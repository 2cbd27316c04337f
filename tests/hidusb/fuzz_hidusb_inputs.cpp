// Fuzz target for the device library's parsers of outside input: the input is loaded as the device
// description, as the device table (whose receiver lists give the classes), as a mouse's state file and
// as the default receiver's lights file, and each of its lines is run as a control-socket command.
#include "ControlSocket.h"
#include "HIDUsbVirtual.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {
const std::string& workDir() {
    static const std::string* dir = [] { // kept: the exit handler below still needs it
        char tmpl[] = "/tmp/zf-fuzz-hidusb.XXXXXX";
        const std::string made = mkdtemp(tmpl) ? tmpl : "/tmp";
        std::filesystem::create_directories(made + "/usersetting");
        setenv("ZF_APP_DIR", made.c_str(), 1);
        setenv("ZF_HIDUSB_DEVICES", (made + "/devices.txt").c_str(), 1);
        setenv("ZF_HIDUSB_STATE_DIR", (made + "/state").c_str(), 1);
        setenv("ZF_HIDUSB_SOCKET", "none", 1);
        setenv("ZF_HIDUSB_PACKET_US", "0", 1);
        setenv("ZF_HIDUSB_DRAIN_MS", "0", 1);
        setenv("ZF_HIDUSB_CHARGE_MS", "0", 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(workDir(), ignored);
        });
        return new std::string(made);
    }();
    return *dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The state files too: an input that is no description gives the default mouse0 and receiver0.
    std::filesystem::create_directories(workDir() + "/state");
    for (const char* file :
         {"/devices.txt", "/usersetting/Config.ini", "/state/mouse0.state", "/state/receiver0.lights"})
        std::ofstream(workDir() + file, std::ios::binary | std::ios::trunc) << text;
    HidVirt_Reload();
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 4, "hang") != 0) // a hang on request is no finding
            zf::runControlCommand(line);
    return 0;
}
