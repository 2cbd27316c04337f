#pragma once
#include <QString>
namespace CrashHandler {
// Installs a handler for fatal signals that writes UserDataRoot/Exception/<time>.dmp with a backtrace,
// then restores the default action and re-raises so the process ends as it would have.
void install(const QString& userDataRoot);
// Path the next dump would be written to (for the current local time).
QString dumpPathFor(const QString& userDataRoot);
} // namespace CrashHandler
