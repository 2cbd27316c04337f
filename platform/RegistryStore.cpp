#include "platform/RegistryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QString storeFile(const QString& keyPath) {
    QString clean = keyPath;
    clean.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Under HOME so test runs with an isolated HOME never see the user's real values.
    return QDir::homePath() + QStringLiteral("/.config/Zentrafox/registry/") + clean + QStringLiteral(".ini");
}
} // namespace

RegistryStore::RegistryStore(const QString& keyPath) : m_file(storeFile(keyPath)) {}

QVariant RegistryStore::value(const QString& name, const QVariant& fallback) const {
    QSettings s(m_file, QSettings::IniFormat);
    return s.value(name, fallback);
}

void RegistryStore::setValue(const QString& name, const QVariant& value) {
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSettings s(m_file, QSettings::IniFormat);
    s.setValue(name, value);
    s.sync();
}

void RegistryStore::remove(const QString& name) {
    QSettings s(m_file, QSettings::IniFormat);
    s.remove(name);
    s.sync();
}

bool RegistryStore::contains(const QString& name) const {
    QSettings s(m_file, QSettings::IniFormat);
    return s.contains(name);
}
