#pragma once
// Per-user key/value store standing in for the Windows registry: QSettings' native format, which here is
// $XDG_CONFIG_HOME/<organization>/<application>.conf. A key path "Software/Org/App/Sub" maps as Qt maps it
// on Windows (HKEY_CURRENT_USER\Software\Org\App with the subkey Sub as a group), so value names read the
// same on both.
#include <QString>
#include <QVariant>

class QSettings;

class RegistryStore {
public:
    // `keyPath` like "Software/Zentrafox/Zentrafox/Zentrafox" (backslashes and "HKEY_CURRENT_USER\" too).
    explicit RegistryStore(const QString& keyPath);
    QVariant value(const QString& name, const QVariant& fallback = QVariant()) const;
    void setValue(const QString& name, const QVariant& value);
    void remove(const QString& name);
    bool contains(const QString& name) const;
    QString fileName() const;

private:
    QString m_organization, m_application, m_group, m_legacyFile;
    void open(QSettings& s) const;
    void importLegacyFile() const;
};
