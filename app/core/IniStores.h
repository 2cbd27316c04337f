#pragma once
// The two process-wide INI stores. Operations address "group/key"; any thread may use them.

#include <QMutex>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

class IniStore {
public:
    IniStore(const QString& file, const char* codec, bool encoded);
    QString value(const QString& group, const QString& key) const;
    QStringList list(const QString& group, const QString& key) const;
    int intValue(const QString& group, const QString& key, int fallback = 0) const;
    void setValue(const QString& group, const QString& key, const QString& value);
    void setList(const QString& group, const QString& key, const QStringList& values);
    void remove(const QString& group, const QString& key);
    QStringList groups() const; // the file's top-level groups
    void sync();
    QString fileName() const;
    // Changes with every write and sync, and differs between stores: what a cache of parsed values keys on.
    quint64 revision() const { return m_revision.load(); }

private:
    void touch();
    QStringList itemsLocked(const QString& group, const QString& key) const;
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    bool m_encoded;
    std::atomic<quint64> m_revision{0};
};

// Application folder + "/usersetting/Config.ini", values encoded except the plain keys.
class ConfigIniStore {
public:
    static IniStore& instance();
    static void resetForTests(); // forget the instance so the next use reopens the file
};

// UserDataRoot + "/Macro.ini".
class MacroIniStore {
public:
    static IniStore& instance();
    static void resetForTests();
};
