#include "device/DeviceSession.h"

#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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
    return isOnline(path.toLatin1());
}

bool isOnline(const QByteArray& path) {
    struct Call {
        std::mutex mutex;
        std::condition_variable done;
        bool answered = false;
        bool abandoned = false; // the caller stopped waiting
        bool online = false;
    };
    static std::atomic<int> stuck{0}; // calls still inside the library after their wait ran out
    if (stuck.load() > 0)
        return false;
    auto call = std::make_shared<Call>();
    std::thread([call, path] {
        const bool online = hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0;
        std::lock_guard<std::mutex> lock(call->mutex);
        if (call->abandoned)
            --stuck;
        call->online = online;
        call->answered = true;
        call->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(call->mutex);
    if (call->done.wait_for(lock, std::chrono::milliseconds(kAnswerWaitMs), [&] { return call->answered; }))
        return call->online;
    call->abandoned = true;
    ++stuck;
    return false;
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
