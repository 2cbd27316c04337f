#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString Autostart::entryPath() {
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    const QString base =
        xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : QString::fromLocal8Bit(xdg);
    return base + QStringLiteral("/autostart/Zentrafox.desktop");
}

bool Autostart::isEnabled() {
    return QFileInfo::exists(entryPath());
}

bool Autostart::setEnabled(bool enabled, const QString& executable) {
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QString exec = executable;
    exec.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Zentrafox\nExec=\"") + exec +
                         QStringLiteral("\"\nX-GNOME-Autostart-enabled=true\n");
    file.write(text.toUtf8());
    return file.commit();
}
