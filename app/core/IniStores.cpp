#include "app/core/IniStores.h"

#include "app/core/AppPaths.h"
#include "app/core/ConfigCodec.h"

IniStore::IniStore(const QString& file, const char* codec, bool encoded)
    : m_settings(new QSettings(file, QSettings::IniFormat)), m_encoded(encoded) {
    m_settings->setIniCodec(codec);
    touch();
}

void IniStore::touch() {
    static std::atomic<quint64> next{0};
    m_revision.store(++next);
}

static QString joinKey(const QString& group, const QString& key) {
    return group + "/" + key;
}

// Encoded values are stored item by item: a comma-separated value is a list of Base64 texts.
static QStringList rawItems(const QVariant& v) {
    if (!v.isValid())
        return {};
    if (v.type() == QVariant::StringList)
        return v.toStringList();
    const QString s = v.toString();
    return s.isEmpty() ? QStringList() : QStringList{s};
}

QStringList IniStore::itemsLocked(const QString& group, const QString& key) const {
    QStringList items = rawItems(m_settings->value(joinKey(group, key)));
    if (m_encoded && !ConfigCodec::isPlainKey(key))
        for (QString& item : items)
            item = ConfigCodec::decode(item);
    return items;
}

QString IniStore::value(const QString& group, const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return itemsLocked(group, key).join(",");
}

QStringList IniStore::list(const QString& group, const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return itemsLocked(group, key);
}

int IniStore::intValue(const QString& group, const QString& key, int fallback) const {
    bool ok = false;
    const int v = value(group, key).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

void IniStore::setValue(const QString& group, const QString& key, const QString& value) {
    QMutexLocker lock(&m_mutex);
    touch();
    m_settings->setValue(joinKey(group, key),
                         m_encoded && !ConfigCodec::isPlainKey(key) ? ConfigCodec::encode(value) : value);
}

void IniStore::setList(const QString& group, const QString& key, const QStringList& values) {
    QMutexLocker lock(&m_mutex);
    touch();
    QStringList stored = values;
    if (m_encoded && !ConfigCodec::isPlainKey(key))
        for (QString& item : stored)
            item = ConfigCodec::encode(item);
    if (stored.size() == 1)
        m_settings->setValue(joinKey(group, key), stored.first());
    else
        m_settings->setValue(joinKey(group, key), stored);
}

void IniStore::remove(const QString& group, const QString& key) {
    QMutexLocker lock(&m_mutex);
    touch();
    m_settings->remove(joinKey(group, key));
}

QStringList IniStore::groups() const {
    QMutexLocker lock(&m_mutex);
    return m_settings->childGroups();
}

void IniStore::sync() {
    QMutexLocker lock(&m_mutex);
    touch();
    m_settings->sync();
}

QString IniStore::fileName() const {
    QMutexLocker lock(&m_mutex);
    return m_settings->fileName();
}

namespace {
QMutex g_configMutex;
QMutex g_macroMutex;
// Never destroyed: the stores live until the process ends, past the application object.
IniStore* g_config = nullptr;
IniStore* g_macro = nullptr;
} // namespace

IniStore& ConfigIniStore::instance() {
    QMutexLocker lock(&g_configMutex);
    if (!g_config)
        g_config = (new IniStore(AppPaths::appDir() + "/usersetting/Config.ini", "UTF8", true));
    return *g_config;
}

void ConfigIniStore::resetForTests() {
    QMutexLocker lock(&g_configMutex);
    delete g_config;
    g_config = nullptr;
}

IniStore& MacroIniStore::instance() {
    QMutexLocker lock(&g_macroMutex);
    if (!g_macro)
        g_macro = (new IniStore(AppPaths::userDataRoot() + "/Macro.ini", "UTF-8", false));
    return *g_macro;
}

void MacroIniStore::resetForTests() {
    QMutexLocker lock(&g_macroMutex);
    delete g_macro;
    g_macro = nullptr;
}
