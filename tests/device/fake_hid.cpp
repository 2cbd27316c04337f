// A stand-in device library: every function of the interface, with the answers the tests set through
// the exported controls below.
#include "HIDUsb.h"
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {
std::mutex g_recordMutex;

struct FakeDevice {
    std::string pid, path;
    int cid, mid, kind, online, silentTries;
    unsigned char address[3];
};
std::vector<FakeDevice> g_devices;
std::vector<char*> g_found;

FakeDevice* deviceAt(const char* path) {
    for (FakeDevice& d : g_devices)
        if (path && d.path == path)
            return &d;
    return nullptr;
}

extern "C" int g_fakeHangMs;

char** findPaths(const char* pid, int* count) {
    if (const int ms = __atomic_exchange_n(&g_fakeHangMs, 0, __ATOMIC_RELAXED); ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    g_found.clear();
    for (FakeDevice& d : g_devices)
        if (pid && d.pid == pid && int(g_found.size()) < *count)
            g_found.push_back(&d.path[0]);
    *count = int(g_found.size());
    return g_found.empty() ? nullptr : g_found.data();
}

void bump(int& counter) {
    __atomic_add_fetch(&counter, 1, __ATOMIC_RELAXED);
}
} // namespace

// Calls whose answers no test looks at: accepted.
#define ZF_ACCEPT(name, ...)                                                                                 \
    HIDUSB_API int name(__VA_ARGS__) {                                                                       \
        return 1;                                                                                            \
    }
// Requests to the device, counted so the tests see which follow-up reads were asked for.
#define ZF_COUNTED_READ(name)                                                                                \
    HIDUSB_API int g_fake##name = 0;                                                                         \
    HIDUSB_API int UsbServer_##name(void) {                                                                  \
        bump(g_fake##name);                                                                                  \
        return 1;                                                                                            \
    }

// The stand-in decoders copy the first data bytes into the record or the answer.
#define ZF_COPY(name, bytes)                                                                                 \
    HIDUSB_API int name(const unsigned char* data, unsigned char* out) {                                     \
        std::memcpy(out, data, bytes);                                                                       \
        return 1;                                                                                            \
    }

extern "C" {
HIDUSB_API int g_fakeOnline = 1;
HIDUSB_API int g_fakeUpdateResult = 1;
HIDUSB_API int g_fakeUpdateCalls = 0;
HIDUSB_API unsigned char g_fakeLastRecord[10544];
HIDUSB_API char g_fakeLastPath[256];
HIDUSB_API int g_fakeStartCalls = 0;
HIDUSB_API int g_fakeVersion = 0x0105;
HIDUSB_API int g_fakeHangMs = 0; // the next device search blocks this long, as a stuck driver would

HIDUSB_API void fake_clearDevices() {
    g_devices.clear();
}
HIDUSB_API void fake_addDevice(const char* pid, const char* path, int cid, int mid, int kind, int online,
                               int silentTries, int address) {
    g_devices.push_back({pid, path, cid, mid, kind, online, silentTries, {}});
    for (int i = 0; i < 3; ++i)
        g_devices.back().address[i] = uint8_t(address >> (16 - 8 * i));
}

HIDUSB_API int UsbServerC_Start(const char*, const char*, HidReportCallback) {
    bump(g_fakeStartCalls);
    return 1;
}
HIDUSB_API void UsbServer_SetPCDriverStatus(int) {}
HIDUSB_API void UsbServer_Exit(void) {}
HIDUSB_API void StopUsbChanged(void) {}
HIDUSB_API char** UsbFinderC_FindHidDevicesByDeviceId(const char*, const char* pid, int, int, int* count) {
    return findPaths(pid, count);
}
HIDUSB_API char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char*, const char* pid, int* count) {
    return findPaths(pid, count);
}
HIDUSB_API int UsbFinderC_GetUsbDeviceAttribute(const char*, unsigned char* attribute) {
    std::memset(attribute, 0, 12);
    attribute[8] = 0x07; // v2.07
    attribute[9] = 0x02;
    return 1;
}
HIDUSB_API int UsbFinderC_GetDeviceInfo(unsigned char* out, const char* path, int) {
    out[0] = out[1] = out[2] = 0;
    FakeDevice* d = deviceAt(path);
    if (!d || d->silentTries-- > 0)
        return 0;
    out[0] = static_cast<unsigned char>(d->cid);
    out[1] = static_cast<unsigned char>(d->mid);
    out[2] = static_cast<unsigned char>(d->kind);
    return 1;
}
HIDUSB_API int UsbFinderC_GetDeviceOnLine(const char* path) {
    std::lock_guard<std::mutex> lock(g_recordMutex);
    std::strncpy(g_fakeLastPath, path ? path : "", sizeof(g_fakeLastPath) - 1);
    return __atomic_load_n(&g_fakeOnline, __ATOMIC_RELAXED);
}
HIDUSB_API int UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* out) {
    std::memset(out, 0, 10);
    FakeDevice* d = deviceAt(path);
    if (!d)
        return 0;
    out[6] = static_cast<unsigned char>(d->online);
    std::memcpy(out + 7, d->address, 3);
    return 1;
}
ZF_COUNTED_READ(ReadAllFlashData)
ZF_COUNTED_READ(ReadBatteryLevel)
ZF_COUNTED_READ(ReadConfig)
ZF_COUNTED_READ(ReadVersion)
ZF_COUNTED_READ(ReadCurrentDPI)
ZF_COUNTED_READ(ReadReportRate)
ZF_COUNTED_READ(ReadDPILed)
ZF_COUNTED_READ(ReadLedBar)
ZF_COPY(ProtocolDataParser, 64)
ZF_COPY(BufferToDPILed, 4)
ZF_COPY(GetDeviceBatteryStatus, 2)
ZF_COPY(GetDeviceStatusChanged, 7)
HIDUSB_API int ProtocolDataUpdate(const unsigned char* record) {
    bump(g_fakeUpdateCalls);
    std::lock_guard<std::mutex> lock(g_recordMutex);
    std::memcpy(g_fakeLastRecord, record, sizeof(g_fakeLastRecord));
    return __atomic_load_n(&g_fakeUpdateResult, __ATOMIC_RELAXED);
}
HIDUSB_API unsigned short UsbFinderC_GetVersion(const char*) {
    return static_cast<unsigned short>(__atomic_load_n(&g_fakeVersion, __ATOMIC_RELAXED));
}
ZF_ACCEPT(StartUsbChanged, HidUsbChangedCallback, int)
ZF_ACCEPT(BufferToLedBar, const unsigned char*, unsigned char*)
ZF_ACCEPT(SetDllProtocolData, const unsigned char*)
ZF_ACCEPT(UsbServer_SetCurrentConfig, int)
ZF_ACCEPT(UsbServer_SetClearSetting, void)
ZF_ACCEPT(UsbServer_SetBatteryOptimizeEnable, int)
ZF_ACCEPT(UsbFinderC_SetLongRangeMode, const char*, int)
ZF_ACCEPT(UsbFinderC_GetLongRangeMode, const char*, unsigned char*)
ZF_ACCEPT(UsbFinderC_StartAdjustMode, const char*, const unsigned char*, int)
ZF_ACCEPT(UsbFinderC_GetDongleRGBBarMode, const char*, unsigned char*)
ZF_ACCEPT(UsbFinderC_SetDongleRGBBarMode, const char*, const unsigned char*)
ZF_ACCEPT(UsbFinderC_GetDongleIndicatorLed, const char*, unsigned char*)
ZF_ACCEPT(UsbFinderC_SetDongleIndicatorLed, const char*, const unsigned char*)
ZF_ACCEPT(UsbFinderC_Get4KDongleRGBValue, const char*, unsigned char*)
ZF_ACCEPT(UsbFinderC_Set4KDongleRGB, const char*, const unsigned char*)
ZF_ACCEPT(UsbServer_EnterDonglePairOnlyCid, int)
ZF_ACCEPT(UsbServer_ReadDonglePairStatus, void)
ZF_ACCEPT(UsbFinderC_SetDongleIDToMouse, const char*, const unsigned char*)
ZF_ACCEPT(UsbFinderC_GetSlaveVersion, const char*, unsigned char*)
ZF_ACCEPT(UsbUpgradeC_FindBootDevices, const unsigned char*, int, int*)
ZF_ACCEPT(UsbUpgrade_Start, const unsigned char*, int, HidUpgradeProgressCallback, int)
ZF_ACCEPT(UsbFinderC_OpenDevice, const char*)
ZF_ACCEPT(UsbFinderC_ReadWriteDeviceData, const unsigned char*, unsigned char*, int)
}
