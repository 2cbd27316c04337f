#pragma once
// What the device benchmarks share: folders of their own, the device table row of the virtual mouse z1,
// the real library, and the worker's bring-up as the device list starts it.
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>

namespace DeviceBench {

// Points the program's and the virtual devices' files at temporary folders, so a run leaves the user's
// own alone. A state folder given by the caller (ZF_HIDUSB_STATE_DIR) is kept.
struct Folders {
    QTemporaryDir appDir, stateDir, home;
    Folders() {
        qputenv("ZF_APP_DIR", appDir.path().toLocal8Bit());
        qputenv("HOME", home.path().toLocal8Bit());
        if (qEnvironmentVariableIsEmpty("ZF_HIDUSB_STATE_DIR"))
            qputenv("ZF_HIDUSB_STATE_DIR", stateDir.path().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
};

// The device table knows z1 (373B:1001 on its cable, 1002 through a receiver; CID 5, MID 31); then the
// library is loaded. Needs the application object.
inline bool loadForMouseZ1() {
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", "1");
    ini.setList("Option", "VID", {"373B"});
    ini.setList("Option", "USB_PID", {"1001"});
    ini.setList("Option", "Wireless_PID", {"1002"});
    ini.setValue("Drive1", "CID", "5");
    ini.setValue("Drive1", "MID", "31");
    ini.sync();
    return HidLibrary::load(QStringLiteral(ZF_REAL_HID));
}

// Resets the link, starts a new `worker` on `device` and processes events until `records` (counted by the
// caller's receiver of the first page signal) moves on; false after 10 s without a record. The caller
// shuts the worker down.
inline bool bringUp(std::unique_ptr<Worker>& worker, const DeviceAllInfo& device, const int& records) {
    const int before = records;
    PostMsg::resetShutdown();
    LinkFlags::resetAll();
    worker = std::make_unique<Worker>();
    worker->SlotSelectMouseInfo(device);
    LinkFlags::DevicePagesActive = true;
    worker->requestRun();
    QElapsedTimer guard;
    guard.start();
    while (records == before && guard.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return records != before;
}

} // namespace DeviceBench
