#include "platform/RuntimeDir.h"

#include <QDir>
#include <QFile>

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
} // namespace RuntimeDir
