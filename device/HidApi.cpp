#include "device/HidApi.h"

#include "app/core/AppPaths.h"

#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <mutex>

Q_LOGGING_CATEGORY(lcHidLoader, "zentrafox.hidloader", QtWarningMsg)

namespace {
int fb_UsbServerC_Start(const char*, const char*, HidReportCallback) {
    return 0;
}
void fb_UsbServer_SetPCDriverStatus(int) {}
void fb_UsbServer_Exit(void) {}
int fb_StartUsbChanged(HidUsbChangedCallback, int) {
    return 0;
}
void fb_StopUsbChanged(void) {}
char** fb_UsbFinderC_FindHidDevicesByDeviceId(const char*, const char*, int, int, int* count) {
    if (count)
        *count = 0;
    return nullptr;
}
char** fb_UsbFinderC_FindHidDevicesByDefaultDeviceId(const char*, const char*, int* count) {
    if (count)
        *count = 0;
    return nullptr;
}
int fb_UsbFinderC_GetUsbDeviceAttribute(const char*, unsigned char*) {
    return 0;
}
int fb_UsbFinderC_GetDeviceInfo(unsigned char*, const char*, int) {
    return 0;
}
int fb_UsbFinderC_GetDeviceOnLine(const char*) {
    return 0;
}
int fb_UsbFinderC_GetDeviceOnLineWithUsbAddress(const char*, unsigned char*) {
    return 0;
}
int fb_UsbServer_ReadAllFlashData(void) {
    return 0;
}
int fb_UsbServer_ReadBatteryLevel(void) {
    return 0;
}
int fb_UsbServer_ReadConfig(void) {
    return 0;
}
int fb_UsbServer_ReadVersion(void) {
    return 0;
}
int fb_UsbServer_ReadCurrentDPI(void) {
    return 0;
}
int fb_UsbServer_ReadReportRate(void) {
    return 0;
}
int fb_UsbServer_ReadDPILed(void) {
    return 0;
}
int fb_UsbServer_ReadLedBar(void) {
    return 0;
}
int fb_ProtocolDataParser(const unsigned char*, unsigned char*) {
    return 0;
}
int fb_BufferToDPILed(const unsigned char*, unsigned char*) {
    return 0;
}
int fb_BufferToLedBar(const unsigned char*, unsigned char*) {
    return 0;
}
int fb_GetDeviceBatteryStatus(const unsigned char*, unsigned char*) {
    return 0;
}
int fb_GetDeviceStatusChanged(const unsigned char*, unsigned char*) {
    return 0;
}
unsigned short fb_UsbFinderC_GetVersion(const char*) {
    return 0;
}
int fb_SetDllProtocolData(const unsigned char*) {
    return 0;
}
int fb_ProtocolDataUpdate(const unsigned char*) {
    return 0;
}
int fb_UsbServer_SetCurrentConfig(int) {
    return 0;
}
int fb_UsbServer_SetClearSetting(void) {
    return 0;
}
int fb_UsbServer_SetBatteryOptimizeEnable(int) {
    return 0;
}
int fb_UsbFinderC_SetLongRangeMode(const char*, int) {
    return 0;
}
int fb_UsbFinderC_GetLongRangeMode(const char*, unsigned char*) {
    return 0;
}
int fb_UsbFinderC_StartAdjustMode(const char*, const unsigned char*, int) {
    return 0;
}
int fb_UsbFinderC_GetDongleRGBBarMode(const char*, unsigned char*) {
    return 0;
}
int fb_UsbFinderC_SetDongleRGBBarMode(const char*, const unsigned char*) {
    return 0;
}
int fb_UsbFinderC_GetDongleIndicatorLed(const char*, unsigned char*) {
    return 0;
}
int fb_UsbFinderC_SetDongleIndicatorLed(const char*, const unsigned char*) {
    return 0;
}
int fb_UsbFinderC_Get4KDongleRGBValue(const char*, unsigned char*) {
    return 0;
}
int fb_UsbFinderC_Set4KDongleRGB(const char*, const unsigned char*) {
    return 0;
}
int fb_UsbServer_EnterDonglePairOnlyCid(int) {
    return 0;
}
int fb_UsbServer_ReadDonglePairStatus(void) {
    return 0;
}
int fb_UsbFinderC_SetDongleIDToMouse(const char*, const unsigned char*) {
    return 0;
}
int fb_UsbFinderC_GetSlaveVersion(const char*, unsigned char*) {
    return 0;
}
int fb_UsbUpgradeC_FindBootDevices(const unsigned char*, int, int* count) {
    if (count)
        *count = 0;
    return 0;
}
int fb_UsbUpgrade_Start(const unsigned char*, int, HidUpgradeProgressCallback, int) {
    return 0;
}
int fb_UsbFinderC_OpenDevice(const char*) {
    return 0;
}
int fb_UsbFinderC_ReadWriteDeviceData(const unsigned char*, unsigned char*, int) {
    return 0;
}

HidApi g_api = HidLibrary::fallbacks();
bool g_tried = false;
bool g_loaded = false;
QString g_file;
QStringList g_missing;
QString g_error;
std::mutex g_mutex; // a standard mutex, so ThreadSanitizer sees the locking
} // namespace

HidApi HidLibrary::fallbacks() {
    HidApi a;
#define ZF_HID_FALLBACK(ret, name, args) a.name = &fb_##name;
    ZF_HIDUSB_FUNCTIONS(ZF_HID_FALLBACK)
#undef ZF_HID_FALLBACK
    return a;
}

bool HidLibrary::resolveInto(const QString& file, HidApi& out, QStringList& missing, QString& error) {
    out = fallbacks();
    missing.clear();
    error.clear();
    auto* lib = new QLibrary(file);
    // QLibrary goes on to try other names for a path that does not exist and reports the last of them
    // ("liblibHIDUsb.so"); name the file that was asked for instead.
    const bool absentPath = file.contains(QLatin1Char('/')) && !QFileInfo::exists(file);
    if (absentPath || !lib->load()) {
        error = absentPath ? QStringLiteral("%1: no such file").arg(file) : lib->errorString();
        delete lib;
#define ZF_HID_ALL(ret, name, args) missing << QStringLiteral(#name);
        ZF_HIDUSB_FUNCTIONS(ZF_HID_ALL)
#undef ZF_HID_ALL
        return false;
    }
    HidApi resolved = fallbacks();
#define ZF_HID_RESOLVE(ret, name, args)                                                                      \
    if (auto f = reinterpret_cast<ret(*) args>(lib->resolve(#name)))                                         \
        resolved.name = f;                                                                                   \
    else                                                                                                     \
        missing << QStringLiteral(#name);
    ZF_HIDUSB_FUNCTIONS(ZF_HID_RESOLVE)
#undef ZF_HID_RESOLVE
    if (!missing.isEmpty()) {
        // A partial library is not used at all: mixing its functions with fallbacks would be unsafe.
        error = QStringLiteral("%1 lacks: %2").arg(file, missing.join(QLatin1String(", ")));
        lib->unload();
        delete lib;
        return false;
    }
    out = resolved;
    // The library stays loaded for the life of the process: callbacks may still point into it.
    (void)lib;
    return true;
}

bool HidLibrary::load(const QString& file) {
    std::lock_guard<std::mutex> lock(g_mutex);
    HidApi api;
    QStringList missing;
    QString error;
    const bool ok = resolveInto(file, api, missing, error);
    g_api = api;
    g_missing = missing;
    g_error = error;
    g_loaded = ok;
    g_file = file;
    g_tried = true;
    if (!ok)
        qCWarning(lcHidLoader).noquote() << "device library not usable:" << error;
    return ok;
}

const HidApi& HidLibrary::api() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_tried)
            return g_api;
    }
    load(AppPaths::deviceLibraryFile());
    return g_api;
}

bool HidLibrary::loaded() {
    api();
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_loaded;
}

QStringList HidLibrary::missingSymbols() {
    api();
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_missing;
}

QString HidLibrary::fileName() {
    api();
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_file;
}

QString HidLibrary::errorText() {
    api();
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_error;
}
