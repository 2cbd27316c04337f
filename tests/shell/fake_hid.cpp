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
std::string g_lastStartPath;
HidReportCallback g_lastStartCallback = nullptr;
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
__attribute__((visibility("default"))) const char* fake_last_start_path() {
    return g_lastStartPath.c_str();
}
__attribute__((visibility("default"))) HidReportCallback fake_last_start_callback() {
    return g_lastStartCallback;
}
__attribute__((visibility("default"))) void fake_reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    calls().clear();
    g_lastDriverStatus = -1;
    g_lastStartPath.clear();
    g_lastStartCallback = nullptr;
}

// Every function counts itself; the driver-status and service-start calls also keep their arguments.
#define UsbServer_SetPCDriverStatus UsbServer_SetPCDriverStatus_counted
#define UsbServerC_Start UsbServerC_Start_counted
#define ZF_FAKE(ret, name, args)                                                                             \
    ret name args {                                                                                          \
        note(#name);                                                                                         \
        return zeroOf<ret>();                                                                                \
    }
ZF_HIDUSB_FUNCTIONS(ZF_FAKE)
#undef UsbServer_SetPCDriverStatus
#undef UsbServerC_Start
__attribute__((visibility("default"))) void UsbServer_SetPCDriverStatus(int active) {
    note("UsbServer_SetPCDriverStatus");
    g_lastDriverStatus = active;
}
__attribute__((visibility("default"))) int UsbServerC_Start(const char* path, const char*,
                                                            HidReportCallback callback) {
    note("UsbServerC_Start");
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lastStartPath = path ? path : "";
    g_lastStartCallback = callback;
    return 1;
}
}
