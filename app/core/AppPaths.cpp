#include "app/core/AppPaths.h"

#include "app/core/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

// Set by the build from the install layout, relative to the installed executable's folder.
#ifndef ZF_APP_ID
#define ZF_APP_ID "org.zentrafox.Zentrafox"
#endif
#ifndef ZF_BIN_TO_DATA
#define ZF_BIN_TO_DATA "../share/zentrafox"
#endif
#ifndef ZF_BIN_TO_LIB
#define ZF_BIN_TO_LIB "../lib/zentrafox"
#endif

namespace AppPaths {
namespace {
const char kLibraryName[] = "libHIDUsb.so";

QString executableDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

// Moves every entry of `from` that `to` lacks; true when `from` ends up empty (and is removed).
bool mergeInto(const QString& from, const QString& to) {
    bool all = true;
    QDir().mkpath(to);
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() && !entry.isSymLink()) {
            all = mergeInto(entry.absoluteFilePath(), target) && all;
        } else if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) {
            qCWarning(lcShell).noquote()
                << "kept" << entry.absoluteFilePath() << "beside the newer" << target;
            all = false;
        } else if (!QFile::rename(entry.absoluteFilePath(), target)) { // copies across file systems
            qCWarning(lcShell).noquote() << "could not move" << entry.absoluteFilePath() << "to" << target;
            all = false;
        }
    }
    return QDir().rmdir(from) && all;
}
} // namespace

QString appName() {
    return QStringLiteral("Zentrafox");
}

QString desktopId() {
    return QStringLiteral(ZF_APP_ID);
}

QString userDataRoot() {
    return QDir::fromNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QLatin1Char('/') + appName();
}

QString legacyUserDataRoot() {
    return QDir::fromNativeSeparators(QDir::homePath()) + "/AppData/Local/" + appName();
}

bool moveUserData(const QString& from, const QString& to) {
    const QFileInfo source(from);
    if (!source.isDir() || QFileInfo(to).canonicalFilePath() == source.canonicalFilePath())
        return true;
    QDir().mkpath(QFileInfo(to).absolutePath());
    bool all;
    if (!QFileInfo::exists(to) && QDir().rename(from, to))
        all = true;
    else
        all = mergeInto(from, to); // another file system, or a folder already started there
    qCInfo(lcShell).noquote() << "moved the per-user folder" << from << "to" << to;
    // Earlier builds made "AppData/Local" only for us; rmdir leaves them when anything else is inside.
    QDir parent = source.absoluteDir();
    if (parent.dirName() == QLatin1String("Local") && QDir().rmdir(parent.absolutePath()) && parent.cdUp() &&
        parent.dirName() == QLatin1String("AppData"))
        QDir().rmdir(parent.absolutePath());
    return all;
}

bool migrateLegacyUserData() {
    return moveUserData(legacyUserDataRoot(), userDataRoot());
}

ProgramFolders programFolders(const QString& exeDir) {
    const QString dir = QDir::fromNativeSeparators(exeDir);
    // A build's application folder has the shipped files beside the executable.
    if (QFileInfo::exists(dir + QStringLiteral("/usersetting/Config.ini")))
        return {dir, dir + QLatin1Char('/') + kLibraryName};
    const QString data = QDir::cleanPath(dir + QStringLiteral("/" ZF_BIN_TO_DATA));
    if (QFileInfo(data).isDir())
        return {data, QDir::cleanPath(dir + QStringLiteral("/" ZF_BIN_TO_LIB "/")) + QLatin1Char('/') +
                          kLibraryName};
    // Neither: everything is looked for beside the executable, and missing files read as missing.
    return {dir, dir + QLatin1Char('/') + kLibraryName};
}

QString appDir() {
    const QByteArray forced = qgetenv("ZF_APP_DIR");
    if (!forced.isEmpty())
        return QString::fromLocal8Bit(forced);
    return programFolders(executableDir()).data;
}

QString iconFile() {
    return appDir() + QStringLiteral("/Picture/Dialog/Logo.png");
}

QString deviceLibraryFile() {
    return programFolders(executableDir()).deviceLibrary;
}
} // namespace AppPaths
