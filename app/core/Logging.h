#pragma once
// One logging category per subsystem. Debug and info output is off by default and only warnings pass;
// turn a subsystem on with QT_LOGGING_RULES, e.g. QT_LOGGING_RULES="zf.device.debug=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDevice) // "zf.device": library bring-up, reports, discovery
Q_DECLARE_LOGGING_CATEGORY(lcShell)  // "zf.shell": start-up, home window, frame
Q_DECLARE_LOGGING_CATEGORY(lcSensor) // "zf.sensor": capability model, sensor pages
Q_DECLARE_LOGGING_CATEGORY(lcNotice) // "zf.notice": notice dialogs
Q_DECLARE_LOGGING_CATEGORY(lcMacro)  // "zf.macro": macro files, recording, download
