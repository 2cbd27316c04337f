#pragma once
// The desktop's own mouse settings: the first known panel program found on PATH.
#include <QString>
#include <QStringList>

namespace MousePanel {
struct Command {
    QString program; // full path; empty when no desktop panel is installed
    QStringList arguments;
};
Command find();
bool open(); // starts it detached; false when none is found or it did not start
} // namespace MousePanel
