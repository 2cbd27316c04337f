#include "device/DeviceSession.h"

#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

namespace DeviceSession {
namespace {
constexpr int kUsbChangePeriodMs = 600;
}

void stopService() {
    hid().UsbServer_Exit();
}

void resumeService() {
    const QByteArray path = SelectedDevice::pathLatin1();
    hid().UsbServerC_Start(path.constData(), path.constData(), &DeviceReports::handleReport);
}

void setProgramActive(bool active) {
    hid().UsbServer_SetPCDriverStatus(active ? 1 : 0);
}

void watchUsbChanges(UsbChangeHandler handler) {
    hid().StartUsbChanged(handler, kUsbChangePeriodMs);
}

void stopWatching() {
    hid().StopUsbChanged();
}

bool isOnline(const QString& path) {
    return hid().UsbFinderC_GetDeviceOnLine(path.toLatin1().constData()) != 0;
}

bool setLongRangeMode(const QString& path, bool on) {
    return hid().UsbFinderC_SetLongRangeMode(path.toLatin1().constData(), on ? 1 : 0) != 0;
}

bool libraryLoaded() {
    return HidLibrary::loaded();
}

QString libraryFile() {
    return HidLibrary::fileName();
}

QString libraryError() {
    return HidLibrary::errorText();
}
} // namespace DeviceSession
