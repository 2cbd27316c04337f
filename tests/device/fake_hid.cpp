// A stand-in device library: every function of the interface, with the answers the tests set through
// the exported controls below.
#include "HIDUsb.h"
#include <cstring>
#include <mutex>

static std::mutex g_recordMutex;

namespace {
struct FakeDevice {
    char pid[16];
    char path[64];
    int cid, mid, kind, online, silentTries;
    unsigned char address[3];
};
FakeDevice g_devices[16];
int g_deviceCount = 0;
char* g_found[16];

FakeDevice* deviceAt(const char* path) {
    for (int i = 0; i < g_deviceCount; ++i)
        if (path && std::strcmp(g_devices[i].path, path) == 0)
            return &g_devices[i];
    return nullptr;
}

char** findPaths(const char*, const char* pid, int* count) {
    int n = 0;
    for (int i = 0; i < g_deviceCount && n < *count; ++i)
        if (pid && std::strcmp(g_devices[i].pid, pid) == 0)
            g_found[n++] = g_devices[i].path;
    *count = n;
    return n ? g_found : nullptr;
}
} // namespace

extern "C" {
HIDUSB_API void fake_clearDevices() {
    g_deviceCount = 0;
}
HIDUSB_API void fake_addDevice(const char* pid, const char* path, int cid, int mid, int kind, int online,
                               int silentTries, int address) {
    if (g_deviceCount >= 16)
        return;
    FakeDevice& d = g_devices[g_deviceCount++];
    std::strncpy(d.pid, pid, sizeof(d.pid) - 1);
    std::strncpy(d.path, path, sizeof(d.path) - 1);
    d.cid = cid;
    d.mid = mid;
    d.kind = kind;
    d.online = online;
    d.silentTries = silentTries;
    d.address[0] = static_cast<unsigned char>(address >> 16);
    d.address[1] = static_cast<unsigned char>(address >> 8);
    d.address[2] = static_cast<unsigned char>(address);
}
}

extern "C" {
HIDUSB_API int g_partialCalls = 0;
HIDUSB_API int g_fakeOnline = 1;
HIDUSB_API int g_fakeUpdateResult = 1;
HIDUSB_API int g_fakeUpdateCalls = 0;
HIDUSB_API unsigned char g_fakeLastRecord[10544];
HIDUSB_API char g_fakeLastPath[256];
HIDUSB_API int g_fakeStartCalls = 0;
HIDUSB_API int g_fakeVersion = 0x0105;
HIDUSB_API int g_fakeReadAllFlashData = 0;
HIDUSB_API int g_fakeReadBatteryLevel = 0;
HIDUSB_API int g_fakeReadConfig = 0;
HIDUSB_API int g_fakeReadVersion = 0;
HIDUSB_API int g_fakeReadCurrentDPI = 0;
HIDUSB_API int g_fakeReadReportRate = 0;
HIDUSB_API int g_fakeReadDPILed = 0;
HIDUSB_API int g_fakeReadLedBar = 0;
HIDUSB_API int UsbServerC_Start(const char*, const char*, HidReportCallback) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeStartCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API void UsbServer_SetPCDriverStatus(int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
}
HIDUSB_API void UsbServer_Exit(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
}
HIDUSB_API int StartUsbChanged(HidUsbChangedCallback, int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API void StopUsbChanged(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
}
HIDUSB_API char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int, int,
                                                      int* count) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return findPaths(vid, pid, count);
}
HIDUSB_API char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return findPaths(vid, pid, count);
}
HIDUSB_API int UsbFinderC_GetUsbDeviceAttribute(const char*, unsigned char* attribute) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::memset(attribute, 0, 12);
    attribute[8] = 0x07; // v2.07
    attribute[9] = 0x02;
    return 1;
}
HIDUSB_API int UsbFinderC_GetDeviceInfo(unsigned char* out, const char* path, int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
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
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::strncpy(g_fakeLastPath, path ? path : "", sizeof(g_fakeLastPath) - 1);
    return g_fakeOnline;
}
HIDUSB_API int UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* out) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::memset(out, 0, 10);
    FakeDevice* d = deviceAt(path);
    if (!d)
        return 0;
    out[6] = static_cast<unsigned char>(d->online);
    out[7] = d->address[0];
    out[8] = d->address[1];
    out[9] = d->address[2];
    return 1;
}
HIDUSB_API int UsbServer_ReadAllFlashData(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadAllFlashData, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadBatteryLevel(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadBatteryLevel, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadConfig(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadConfig, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadVersion(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadVersion, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadCurrentDPI(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadCurrentDPI, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadReportRate(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadReportRate, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadDPILed(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadDPILed, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadLedBar(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeReadLedBar, 1, __ATOMIC_RELAXED);
    return 1;
}
// The stand-in "parser" copies the first data bytes into the record start.
HIDUSB_API int ProtocolDataParser(const unsigned char* data, unsigned char* record) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::memcpy(record, data, 64);
    return 1;
}
HIDUSB_API int BufferToDPILed(const unsigned char* data, unsigned char* recordAt154) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::memcpy(recordAt154, data, 4);
    return 1;
}
HIDUSB_API int BufferToLedBar(const unsigned char*, unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int GetDeviceBatteryStatus(const unsigned char* data, unsigned char* battery) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::memcpy(battery, data, 2);
    return 1;
}
HIDUSB_API int GetDeviceStatusChanged(const unsigned char* data, unsigned char* status) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    std::memcpy(status, data, 7);
    return 1;
}
HIDUSB_API int SetDllProtocolData(const unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int ProtocolDataUpdate(const unsigned char* record) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&g_fakeUpdateCalls, 1, __ATOMIC_RELAXED);
    std::lock_guard<std::mutex> lock(g_recordMutex);
    std::memcpy(g_fakeLastRecord, record, sizeof(g_fakeLastRecord));
    return g_fakeUpdateResult;
}
HIDUSB_API int UsbServer_SetCurrentConfig(int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_SetClearSetting(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_SetBatteryOptimizeEnable(int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_SetLongRangeMode(const char*, int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_GetLongRangeMode(const char*, unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_StartAdjustMode(const char*, const unsigned char*, int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_GetDongleRGBBarMode(const char*, unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_SetDongleRGBBarMode(const char*, const unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_GetDongleIndicatorLed(const char*, unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_SetDongleIndicatorLed(const char*, const unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_Get4KDongleRGBValue(const char*, unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_Set4KDongleRGB(const char*, const unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_EnterDonglePairOnlyCid(int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbServer_ReadDonglePairStatus(void) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_SetDongleIDToMouse(const char*, const unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_GetSlaveVersion(const char*, unsigned char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbUpgradeC_FindBootDevices(const unsigned char*, int, int*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbUpgrade_Start(const unsigned char*, int, HidUpgradeProgressCallback, int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_OpenDevice(const char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API int UsbFinderC_ReadWriteDeviceData(const unsigned char*, unsigned char*, int) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return 1;
}
HIDUSB_API unsigned short UsbFinderC_GetVersion(const char*) {
    __atomic_add_fetch(&g_partialCalls, 1, __ATOMIC_RELAXED);
    return static_cast<unsigned short>(g_fakeVersion);
}
}
