#pragma once
// The commands of zentrafoxctl, their arguments and help.

#include <QStringList>

namespace Ctl {
// Runs one command line (without the program name); the exit code.
int run(const QStringList& arguments);
} // namespace Ctl
