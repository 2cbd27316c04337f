#pragma once
// Shared set-up of the end-to-end suites: the real device library with instant virtual links, fresh
// program and device state, and a device table whose first row is the default virtual mouse.
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include "HIDUsbVirtual.h"

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

namespace VirtualMouseSetup {

// A fresh device table of `rows` rows in the program folder `appDir`.
inline IniStore& freshTable(const QTemporaryDir& appDir, int rows) {
    qputenv("ZF_APP_DIR", appDir.path().toLocal8Bit());
    ConfigIniStore::resetForTests();
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", QString::number(rows));
    return ini;
}

// `description` (one line per device) replaces the library's default mouse and receiver when given.
// Returns the table so a suite can add its own keys before `sync()`.
inline IniStore& prepare(const QTemporaryDir& appDir, const QTemporaryDir& state,
                         const QByteArray& description = {}) {
    qputenv("ZF_HIDUSB_STATE_DIR", state.path().toLocal8Bit());
    qputenv("ZF_HIDUSB_PACKET_US", "0");
    if (description.isEmpty()) {
        qunsetenv("ZF_HIDUSB_DEVICES");
    } else {
        const QString file = state.path() + "/devices.txt";
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write(description);
        qputenv("ZF_HIDUSB_DEVICES", file.toLocal8Bit());
    }
    IniStore& ini = freshTable(appDir, 1);
    ini.setList("Option", "VID", {"373B"});
    ini.setList("Option", "USB_PID", {"1001"});
    ini.setList("Option", "Wireless_PID", {"1002"});
    ini.setValue("Drive1", "CID", "5");
    ini.setValue("Drive1", "MID", "31");
    return ini;
}

// The link loads the real library; `controls` opens the same file for the HidVirt_* functions. Empty on
// success, else what failed.
inline QString loadLibrary(QLibrary& controls) {
    const QString file = qEnvironmentVariable("ZF_REAL_HID");
    if (!HidLibrary::load(file))
        return HidLibrary::errorText();
    controls.setFileName(file);
    return controls.load() ? QString() : controls.errorString();
}

template <typename F> bool bind(QLibrary& controls, F*& f, const char* name) {
    f = reinterpret_cast<F*>(controls.resolve(name));
    return f != nullptr;
}

// As after a start of the program: no record, no link state, the hub open.
inline void freshProgram() {
    PostMsg::resetShutdown();
    CurrentRecord::replace(FlashDataMap{});
    LinkFlags::resetAll();
}

// What choosing `device` in the list does: the pages are active and the worker reads the device.
inline void run(Worker& worker, const DeviceAllInfo& device) {
    worker.SlotSelectMouseInfo(device);
    LinkFlags::DevicePagesActive = true;
    worker.requestRun();
}

// The virtual devices' controls (HidVirt_Reload as Reload, …), from the library the link loaded.
// clang-format off
#define ZF_VIRT_CONTROLS(X)                                                                                  \
    X(Reload) X(List) X(Plug) X(SetLink) X(PressDpiButton) X(HoldDpiButton) X(PressRateButton) X(PressKey)  \
    X(SetBattery) X(FailNextPairing) X(HangNextPairing) X(FailNextUpgrade) X(GetCounters) X(ResetCounters)  \
    X(ReadFlash) X(MouseVersion) X(SetPacketTime)
// clang-format on
struct Controls {
#define ZF_VIRT_MEMBER(name) decltype(&::HidVirt_##name) name = nullptr;
    ZF_VIRT_CONTROLS(ZF_VIRT_MEMBER)
#undef ZF_VIRT_MEMBER
    QLibrary library;

    // Loads the real library for the link and binds every control; empty on success, else what failed.
    QString load() {
        const QString failed = loadLibrary(library);
        if (!failed.isEmpty())
            return failed;
#define ZF_VIRT_BIND(name)                                                                                   \
    if (!bind(library, name, "HidVirt_" #name))                                                              \
        return QStringLiteral("no HidVirt_" #name);
        ZF_VIRT_CONTROLS(ZF_VIRT_BIND)
#undef ZF_VIRT_BIND
        return QString();
    }
};

// One factory-fresh mouse "z1" on its cable as row 1 (sensor 3395, eight keys).
struct CableMouse : Controls {
    QTemporaryDir appDir, state;

    QString start() {
        IniStore& ini = prepare(appDir, state, "mouse z1 vid=373B pid=1001 cid=05 mid=1F link=cable\n");
        ini.setValue("Drive1", "Sensor", "3395");
        ini.setValue("Drive1", "KeyNumber", "8");
        ini.sync();
        const QString failed = load();
        return !failed.isEmpty() ? failed : Reload() ? QString() : QStringLiteral("no virtual devices");
    }
};

} // namespace VirtualMouseSetup
