#pragma once
// Resolves the library's functions by name, as any program using the shared object would.
#include "HIDUsbVirtual.h"

#include <dlfcn.h>
#include <stdexcept>
#include <string>

// clang-format off
#define ZF_HID_FUNCTIONS(X)                                                                                  \
    X(UsbServerC_Start) X(UsbServer_SetPCDriverStatus) X(UsbServer_Exit) X(StartUsbChanged)                  \
    X(StopUsbChanged) X(UsbFinderC_FindHidDevicesByDeviceId) X(UsbFinderC_FindHidDevicesByDefaultDeviceId)   \
    X(UsbFinderC_GetUsbDeviceAttribute) X(UsbFinderC_GetDeviceInfo) X(UsbFinderC_GetDeviceOnLine)            \
    X(UsbFinderC_GetDeviceOnLineWithUsbAddress) X(UsbServer_ReadAllFlashData) X(UsbServer_ReadBatteryLevel)  \
    X(UsbServer_ReadConfig) X(UsbServer_ReadVersion) X(UsbServer_ReadCurrentDPI) X(UsbServer_ReadReportRate) \
    X(UsbServer_ReadDPILed) X(UsbServer_ReadLedBar) X(ProtocolDataParser) X(BufferToDPILed)                  \
    X(BufferToLedBar) X(GetDeviceBatteryStatus) X(GetDeviceStatusChanged) X(UsbFinderC_GetVersion)           \
    X(SetDllProtocolData) X(ProtocolDataUpdate) X(UsbServer_SetCurrentConfig) X(UsbServer_SetClearSetting)   \
    X(UsbServer_SetBatteryOptimizeEnable) X(UsbFinderC_SetLongRangeMode) X(UsbFinderC_GetLongRangeMode)      \
    X(UsbFinderC_StartAdjustMode) X(UsbFinderC_GetDongleRGBBarMode) X(UsbFinderC_SetDongleRGBBarMode)        \
    X(UsbFinderC_GetDongleIndicatorLed) X(UsbFinderC_SetDongleIndicatorLed) X(UsbFinderC_Get4KDongleRGBValue) \
    X(UsbFinderC_Set4KDongleRGB) X(UsbServer_EnterDonglePairOnlyCid) X(UsbServer_ReadDonglePairStatus)       \
    X(UsbFinderC_SetDongleIDToMouse) X(UsbFinderC_GetSlaveVersion) X(UsbUpgradeC_FindBootDevices)            \
    X(UsbUpgrade_Start) X(UsbFinderC_OpenDevice) X(UsbFinderC_ReadWriteDeviceData)
#define ZF_VIRT_FUNCTIONS(X)                                                                                 \
    X(HidVirt_Reload) X(HidVirt_List) X(HidVirt_Plug) X(HidVirt_SetLink) X(HidVirt_PressDpiButton)           \
    X(HidVirt_PressRateButton) X(HidVirt_PressKey) X(HidVirt_SetBattery) X(HidVirt_FailNextPairing)          \
    X(HidVirt_FailNextUpgrade) X(HidVirt_GetCounters) X(HidVirt_ResetCounters) X(HidVirt_ReadFlash)          \
    X(HidVirt_MouseVersion) X(HidVirt_SetPacketTime) X(HidVirt_SetBatteryTiming)
// clang-format on

struct LibHidUsb {
    void* handle = nullptr;
#define ZF_FN(name) decltype(&::name) name = nullptr;
    ZF_HID_FUNCTIONS(ZF_FN)
    ZF_VIRT_FUNCTIONS(ZF_FN)
#undef ZF_FN

    explicit LibHidUsb(const std::string& file) {
        handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            throw std::runtime_error(std::string("dlopen: ") + dlerror());
#define ZF_RESOLVE(name) resolve(name, #name);
        ZF_HID_FUNCTIONS(ZF_RESOLVE)
        ZF_VIRT_FUNCTIONS(ZF_RESOLVE)
#undef ZF_RESOLVE
    }
    ~LibHidUsb() {
        if (handle)
            dlclose(handle);
    }
    LibHidUsb(const LibHidUsb&) = delete;
    LibHidUsb& operator=(const LibHidUsb&) = delete;

private:
    template <typename F> void resolve(F& fn, const char* name) {
        fn = reinterpret_cast<F>(dlsym(handle, name));
        if (!fn)
            throw std::runtime_error(std::string("missing symbol ") + name);
    }
};

// The library under test, loaded once on first use.
inline LibHidUsb& lib() {
    static LibHidUsb* l = new LibHidUsb(HIDUSB_LIBRARY); // kept loaded: its threads may outlive main
    return *l;
}
