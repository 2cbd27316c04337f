#pragma once
// The device library, loaded at run time from the application folder. Every function is resolved by
// name; when the library or any symbol is missing, every call falls back to a safe failure (0, null,
// nothing done), so the program runs with no devices instead of crashing.

#include "HIDUsb.h"

#include <QString>
#include <QStringList>
#include <type_traits>

#define ZF_HIDUSB_FUNCTIONS(X)                                                                               \
    X(int, UsbServerC_Start, (const char* path, const char* secondPath, HidReportCallback callback))         \
    X(void, UsbServer_SetPCDriverStatus, (int active))                                                       \
    X(void, UsbServer_Exit, (void))                                                                          \
    X(int, StartUsbChanged, (HidUsbChangedCallback callback, int periodMs))                                  \
    X(void, StopUsbChanged, (void))                                                                          \
    X(char**, UsbFinderC_FindHidDevicesByDeviceId,                                                           \
      (const char* vid, const char* pid, int usage, int maxCount, int* count))                               \
    X(char**, UsbFinderC_FindHidDevicesByDefaultDeviceId, (const char* vid, const char* pid, int* count))    \
    X(int, UsbFinderC_GetUsbDeviceAttribute, (const char* path, unsigned char* attribute))                   \
    X(int, UsbFinderC_GetDeviceInfo, (unsigned char* out, const char* path, int flag))                       \
    X(int, UsbFinderC_GetDeviceOnLine, (const char* path))                                                   \
    X(int, UsbFinderC_GetDeviceOnLineWithUsbAddress, (const char* path, unsigned char* out))                 \
    X(int, UsbServer_ReadAllFlashData, (void))                                                               \
    X(int, UsbServer_ReadBatteryLevel, (void))                                                               \
    X(int, UsbServer_ReadConfig, (void))                                                                     \
    X(int, UsbServer_ReadVersion, (void))                                                                    \
    X(int, UsbServer_ReadCurrentDPI, (void))                                                                 \
    X(int, UsbServer_ReadReportRate, (void))                                                                 \
    X(int, UsbServer_ReadDPILed, (void))                                                                     \
    X(int, UsbServer_ReadLedBar, (void))                                                                     \
    X(int, ProtocolDataParser, (const unsigned char* data, unsigned char* record))                           \
    X(int, BufferToDPILed, (const unsigned char* data, unsigned char* recordAt154))                          \
    X(int, BufferToLedBar, (const unsigned char* data, unsigned char* recordAt158))                          \
    X(int, GetDeviceBatteryStatus, (const unsigned char* data, unsigned char* battery))                      \
    X(int, GetDeviceStatusChanged, (const unsigned char* data, unsigned char* status))                       \
    X(unsigned short, UsbFinderC_GetVersion, (const char* path))                                             \
    X(int, SetDllProtocolData, (const unsigned char* record))                                                \
    X(int, ProtocolDataUpdate, (const unsigned char* record))                                                \
    X(int, UsbServer_SetCurrentConfig, (int index))                                                          \
    X(int, UsbServer_SetClearSetting, (void))                                                                \
    X(int, UsbServer_SetBatteryOptimizeEnable, (int enable))                                                 \
    X(int, UsbFinderC_SetLongRangeMode, (const char* path, int on))                                          \
    X(int, UsbFinderC_GetLongRangeMode, (const char* path, unsigned char* answer))                           \
    X(int, UsbFinderC_StartAdjustMode, (const char* path, const unsigned char* request, int start))          \
    X(int, UsbFinderC_GetDongleRGBBarMode, (const char* path, unsigned char* bar))                           \
    X(int, UsbFinderC_SetDongleRGBBarMode, (const char* path, const unsigned char* bar))                     \
    X(int, UsbFinderC_GetDongleIndicatorLed, (const char* path, unsigned char* leds))                        \
    X(int, UsbFinderC_SetDongleIndicatorLed, (const char* path, const unsigned char* leds))                  \
    X(int, UsbFinderC_Get4KDongleRGBValue, (const char* path, unsigned char* rgb))                           \
    X(int, UsbFinderC_Set4KDongleRGB, (const char* path, const unsigned char* rgb))                          \
    X(int, UsbServer_EnterDonglePairOnlyCid, (int cid))                                                      \
    X(int, UsbServer_ReadDonglePairStatus, (void))                                                           \
    X(int, UsbFinderC_SetDongleIDToMouse, (const char* path, const unsigned char* id))                       \
    X(int, UsbFinderC_GetSlaveVersion, (const char* path, unsigned char* out))                               \
    X(int, UsbUpgradeC_FindBootDevices, (const unsigned char* image, int imageLength, int* count))           \
    X(int, UsbUpgrade_Start,                                                                                 \
      (const unsigned char* image, int imageLength, HidUpgradeProgressCallback callback, int timeoutMs))     \
    X(int, UsbFinderC_OpenDevice, (const char* path))                                                        \
    X(int, UsbFinderC_ReadWriteDeviceData, (const unsigned char* buffer, unsigned char* reply, int length))

// The table restates the header's types for the loader; a drift would be undefined behaviour at the
// call, so every row must name exactly the type the header declares.
#define ZF_HID_CHECK(ret, name, args)                                                                        \
    static_assert(std::is_same<ret(*) args, decltype(&::name)>::value, #name " differs from HIDUsb.h");
ZF_HIDUSB_FUNCTIONS(ZF_HID_CHECK)

struct HidApi {
#define ZF_HID_MEMBER(ret, name, args) ret(*name) args;
    ZF_HIDUSB_FUNCTIONS(ZF_HID_MEMBER)
#undef ZF_HID_MEMBER
};

class HidLibrary {
public:
    // The process-wide table; loads "HIDUsb" from the application folder on first use.
    static const HidApi& api();
    // Loads the library at `file` (a path or a name) into the process-wide table, replacing what was
    // loaded. Returns true when every symbol resolved.
    static bool load(const QString& file);
    static bool loaded();
    // Symbols the last load could not resolve (all of them when the library itself is missing).
    static QStringList missingSymbols();
    static QString errorText();
    // The file the last load tried.
    static QString fileName();
    // Resolves `file` into `out` without touching the process-wide table (used by the loader and tests).
    static bool resolveInto(const QString& file, HidApi& out, QStringList& missing, QString& error);
    static HidApi fallbacks();
};

inline const HidApi& hid() {
    return HidLibrary::api();
}
