#pragma once
// `watch`: one line per report of the mouse until SIGINT or SIGTERM.

#include <QTextStream>

namespace Ctl {
class Session;
int watch(Session& session, QTextStream& out);
} // namespace Ctl
