#include "platform/RuntimeDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeDir {
namespace {
// A real folder (not a link) owned by us that no one else may enter: files in it cannot be planted or
// swapped by another user.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// A device path is short; anything larger is not a file we wrote.
constexpr qint64 kHeldFileMax = 4096;
} // namespace

QString choose(const QByteArray& xdgRuntimeDir, const QString& tempDir) {
    if (xdgRuntimeDir.startsWith('/') && isPrivateFolder(xdgRuntimeDir))
        return QFile::decodeName(xdgRuntimeDir);
    // No session folder (a plain su, cron, some containers): one per user in the temporary folder.
    const QString fallback = tempDir + QStringLiteral("/zentrafox-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(fallback);
    ::mkdir(native.constData(), 0700);
    return isPrivateFolder(native) ? fallback : QString();
}

QString path() {
    return choose(qgetenv("XDG_RUNTIME_DIR"), QDir::tempPath());
}

QString heldDeviceFile(const QString& dir) {
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/Zentrafox.device");
}

bool setHeldDevice(const QString& devicePath, const QString& dir) {
    const QString file = heldDeviceFile(dir);
    if (file.isEmpty())
        return false;
    if (devicePath.isEmpty()) {
        // Only our own: a second instance turned away at start-up must not clear the first one's.
        const HeldDevice held = heldDevice(dir);
        return held.pid != QCoreApplication::applicationPid() || QFile::remove(file);
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n' + devicePath.toUtf8() + '\n');
    return out.commit();
}

HeldDevice parseHeldDevice(const QByteArray& text) {
    HeldDevice held;
    const QList<QByteArray> lines = text.left(kHeldFileMax).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    const QString device = QString::fromUtf8(lines.value(1));
    if (!ok || pid <= 0 || device.isEmpty())
        return held;
    held.pid = pid;
    held.path = device;
    return held;
}

HeldDevice heldDevice(const QString& dir) {
    QFile in(heldDeviceFile(dir));
    if (in.fileName().isEmpty() || !in.open(QIODevice::ReadOnly))
        return {};
    return parseHeldDevice(in.read(kHeldFileMax));
}
} // namespace RuntimeDir
