#pragma once
// The folder for per-session files (the single-instance lock and key): $XDG_RUNTIME_DIR, which the
// session manager gives each user and session, when it names a private folder of ours; otherwise a
// private folder under the temporary folder. Empty when neither can be had.
#include <QString>

namespace RuntimeDir {
QString path();
// The same for a given $XDG_RUNTIME_DIR value and temporary folder (for tests).
QString choose(const QByteArray& xdgRuntimeDir, const QString& tempDir);
} // namespace RuntimeDir
