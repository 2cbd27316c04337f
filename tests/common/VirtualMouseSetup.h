#pragma once
// Shared set-up of the end-to-end suites: the real device library with instant virtual links, fresh
// program and device state, and a device table whose first row is the default virtual mouse.
#include "app/core/IniStores.h"

#include <QFile>
#include <QTemporaryDir>

namespace VirtualMouseSetup {

// `description` (one line per device) replaces the library's default mouse and receiver when given.
// Returns the table so a suite can add its own keys before `sync()`.
inline IniStore& prepare(const QTemporaryDir& appDir, const QTemporaryDir& state,
                         const QByteArray& description = {}) {
    qputenv("ZF_APP_DIR", appDir.path().toLocal8Bit());
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
    ConfigIniStore::resetForTests();
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", "1");
    ini.setList("Option", "VID", {"373B"});
    ini.setList("Option", "USB_PID", {"1001"});
    ini.setList("Option", "Wireless_PID", {"1002"});
    ini.setValue("Drive1", "CID", "5");
    ini.setValue("Drive1", "MID", "31");
    return ini;
}

} // namespace VirtualMouseSetup
