#pragma once
// Per-user key/value store standing in for the Windows registry: an INI file under the user's config
// folder, one file per key path.
#include <QString>
#include <QVariant>

class RegistryStore {
public:
    // `keyPath` like "Software/Zentrafox/Zentrafox/Zentrafox".
    explicit RegistryStore(const QString& keyPath);
    QVariant value(const QString& name, const QVariant& fallback = QVariant()) const;
    void setValue(const QString& name, const QVariant& value);
    void remove(const QString& name);
    bool contains(const QString& name) const;
    QString fileName() const { return m_file; }

private:
    QString m_file;
};
