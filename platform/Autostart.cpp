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

QString Autostart::startHiddenArgument() {
    return QStringLiteral("--autostart");
}

QString Autostart::execLine(const QString& executable) {
    if (executable.isEmpty() || executable.contains(QLatin1Char('\n')) ||
        executable.contains(QLatin1Char('\r')))
        return QString();
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    QString value = QLatin1Char('"') + quoted + QStringLiteral("\" ") + startHiddenArgument();
    // The string-value escape comes on top of the quoting; field codes start with %.
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return value;
}

bool Autostart::setEnabled(bool enabled, const QString& executable) {
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    const QString exec = execLine(executable);
    if (exec.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Zentrafox\nExec=") + exec +
                         QStringLiteral("\nIcon=zentrafox\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    file.write(text.toUtf8());
    return file.commit();
}
