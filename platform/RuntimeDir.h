#pragma once
// The folder for per-session files (the single-instance lock and key): $XDG_RUNTIME_DIR, which the
// session manager gives each user and session, when it names a private folder of ours; otherwise a
// private folder under the temporary folder. Empty when neither can be had.
#include <QString>

namespace RuntimeDir {
QString path();
// The same for a given $XDG_RUNTIME_DIR value and temporary folder (for tests).
QString choose(const QByteArray& xdgRuntimeDir, const QString& tempDir);

// The device the running program has open, beside its lock, so zentrafoxctl leaves only that device
// alone. Line 1 is the writer's pid: a file left behind by a program that died is told apart from the
// live program's by comparing it with the pid in the lock.
struct HeldDevice {
    qint64 pid = 0; // 0: no file, or not one of ours
    QString path;
};
QString heldDeviceFile(const QString& dir = path());
// Writes this process's pid and the device path atomically; an empty path removes the file when this
// process wrote it.
bool setHeldDevice(const QString& devicePath, const QString& dir = path());
HeldDevice heldDevice(const QString& dir = path());
// The file's text: pid 0 for anything but a positive pid line and a path line.
HeldDevice parseHeldDevice(const QByteArray& text);
} // namespace RuntimeDir
