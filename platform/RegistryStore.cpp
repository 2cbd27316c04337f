#include "platform/RegistryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace {
// Earlier builds kept one INI file per key path here, ignoring XDG_CONFIG_HOME.
QString legacyBase() {
    return QDir::homePath() + QStringLiteral("/.config/Zentrafox/registry");
}
} // namespace

RegistryStore::RegistryStore(const QString& keyPath) {
    QString clean = keyPath;
    clean.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.first().compare(QLatin1String("HKEY_CURRENT_USER"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    m_legacyFile = legacyBase() + QLatin1Char('/') + parts.join(QLatin1Char('/')) + QStringLiteral(".ini");
    if (!parts.isEmpty() && parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    m_organization = parts.value(0, QStringLiteral("Zentrafox"));
    m_application = parts.value(1, m_organization);
    m_group = parts.mid(2).join(QLatin1Char('/'));
    importLegacyFile();
}

void RegistryStore::open(QSettings& s) const {
    // Only the user's own values, as HKEY_CURRENT_USER: no system-wide defaults from /etc/xdg.
    s.setFallbacksEnabled(false);
    if (!m_group.isEmpty())
        s.beginGroup(m_group);
}

// Values of the earlier file move over once (a newer value of the same name wins); the file then goes.
void RegistryStore::importLegacyFile() const {
    if (!QFileInfo::exists(m_legacyFile))
        return;
    QSettings old(m_legacyFile, QSettings::IniFormat);
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
    open(s);
    for (const QString& key : old.allKeys())
        if (!s.contains(key))
            s.setValue(key, old.value(key));
    s.sync();
    if (s.status() != QSettings::NoError)
        return; // keep the old file for the next start
    QFile::remove(m_legacyFile);
    const QString base = legacyBase();
    QDir(base).rmpath(QDir(base).relativeFilePath(QFileInfo(m_legacyFile).absolutePath()));
    QDir().rmdir(base);
}

QVariant RegistryStore::value(const QString& name, const QVariant& fallback) const {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
    open(s);
    return s.value(name, fallback);
}

void RegistryStore::setValue(const QString& name, const QVariant& value) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
    open(s);
    s.setValue(name, value);
    s.sync();
}

void RegistryStore::remove(const QString& name) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
    open(s);
    s.remove(name);
    s.sync();
}

bool RegistryStore::contains(const QString& name) const {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
    open(s);
    return s.contains(name);
}

QString RegistryStore::fileName() const {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
    return s.fileName();
}
