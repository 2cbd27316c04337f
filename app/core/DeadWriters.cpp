#include "app/core/DeadWriters.h"

#include "app/core/AppPaths.h"
#include "platform/RegistryStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace DeadWriters {

QStringList folders() {
    const QString root = AppPaths::userDataRoot();
    const QString registry = RegistryStore(QStringLiteral("Software/") + AppPaths::appName()).fileName();
    return {root, root + QStringLiteral("/Device_Info"), QFileInfo(registry).path()};
}

int removeLeftovers(const QStringList& folders, int olderThanSeconds) {
    // Qt's temporary names: the file's own name and six letters or digits.
    static const QRegularExpression leftover(QStringLiteral(R"(^[^.].*\.(ini|conf|bin)\.[A-Za-z0-9]{6}$)"));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-olderThanSeconds);
    int removed = 0;
    for (const QString& folder : folders) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        for (const QFileInfo& f : files)
            if (leftover.match(f.fileName()).hasMatch() && f.lastModified().toUTC() < before &&
                QFile::remove(f.absoluteFilePath()))
                ++removed;
    }
    return removed;
}

} // namespace DeadWriters
