#pragma once
// The command line of zentrafoxctl: options anywhere, the first other word the command, the rest its
// arguments.

#include <QString>
#include <QStringList>

namespace Ctl {

struct Options {
    QString command;
    QStringList args;
    QString device;
    bool json = false;
    bool force = false;
    bool help = false;
};

// False with the reason for an unknown option or one missing its value.
bool parseOptions(const QStringList& arguments, Options& options, QString& error);

} // namespace Ctl
