#include "app/core/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace AppPaths {
QString appName() {
    return QStringLiteral("Zentrafox");
}

QString userDataRoot() {
    return QDir::fromNativeSeparators(QDir::homePath()) + "/AppData/Local/" + appName();
}

QString appDir() {
    const QByteArray forced = qgetenv("ZF_APP_DIR");
    if (!forced.isEmpty())
        return QString::fromLocal8Bit(forced);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}
} // namespace AppPaths
