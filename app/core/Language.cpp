#include "app/core/Language.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"

#include <QDomDocument>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QReadWriteLock>
#include <QXmlStreamReader>
#include <atomic>

namespace Language {
namespace {

const QStringList kGroups = {
    "AdvancedSettings", "Settings", "common", "home", "infoTips", "key", "light", "macro", "pair",
    "sensor",           "update"};
const QStringList kKeyboardGroups = {"Settings", "common", "key", "light", "macro", "pair", "update"};

enum class ListKind { ValueLabel, ValueOption, CommandOption, IdOption, ValueTextOption };

struct ListRule {
    ListKind kind;
    bool mouse;
    bool keyboard;
};

const QHash<QString, ListRule>& listRules() {
    static const QHash<QString, ListRule> rules = [] {
        QHash<QString, ListRule> r;
        r.insert("KeyOptions", {ListKind::ValueLabel, true, false});
        for (const char* n : {"ReportRates", "LightOffTimeOptions"})
            r.insert(n, {ListKind::ValueOption, true, true});
        r.insert("InsertEventOptions", {ListKind::CommandOption, true, true});
        r.insert("tabsList", {ListKind::IdOption, true, false});
        for (const char* n : {"dpiModeOptions", "ProfileOptions", "DPIEffectOptions", "LightModeOptions",
                              "receiverList", "LODOptions", "PerformanceOptions", "SensorModeOptions"})
            r.insert(n, {ListKind::ValueOption, true, false});
        r.insert("StatusDescriptionList", {ListKind::ValueTextOption, true, false});
        for (const char* n : {"keyboardTabList", "DisableList", "FunctionList", "modeList"})
            r.insert(n, {ListKind::ValueOption, false, true});
        return r;
    }();
    return rules;
}

using TextMap = QHash<QString, QString>;

struct LangData {
    QHash<QString, TextMap> texts;                       // "section/group" -> key -> text
    QHash<QString, QMap<QString, QString>> lists;        // "section/list" -> key -> text
    QList<QPair<QString, QString>> receiverStatus;       // mouse
    QVector<DelayEntry> randomDelays;                    // mouse
    QHash<QString, QList<QPair<QString, QString>>> kbFn; // type -> (label, value)
};

struct Tables {
    QVector<LangData> langs;
    QStringList boxNames;
    QHash<QString, QStringList> net;
    QString netError;
    QString code = QStringLiteral("en");
};

QReadWriteLock g_lock;
Tables g_tables;
std::atomic<int> g_index{0};

QString sectionName(Section s) {
    return s == Section::Mouse ? QStringLiteral("mouse") : QStringLiteral("keyboard");
}

// Integer member as decimal text; numbers written as strings are accepted too.
QString decimal(const QJsonValue& v) {
    if (v.isDouble())
        return QString::number(v.toInt());
    if (v.isString()) {
        bool ok = false;
        const int n = v.toString().toInt(&ok, 0);
        return ok ? QString::number(n) : v.toString();
    }
    return QString();
}

QVector<DelayEntry> readDelays(const QJsonArray& array) {
    QVector<DelayEntry> out;
    for (const QJsonValue& item : array) {
        const QJsonObject o = item.toObject();
        if (o.isEmpty())
            continue;
        DelayEntry e;
        e.option = o.value("option").toString();
        e.value = decimal(o.value("value")).toInt();
        e.children = readDelays(o.value("children").toArray());
        out.append(e);
    }
    return out;
}

// Walks one language file; section and group carry over between files.
class Walker {
public:
    Walker(Section& section, QString& group, LangData& data)
        : m_section(section), m_group(group), m_data(data) {}

    void walkObject(const QJsonObject& obj) {
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            const QString name = it.key();
            if (name == QLatin1String("keyboard"))
                m_section = Section::Keyboard;
            else if (name == QLatin1String("mouse"))
                m_section = Section::Mouse;
            if (kGroups.contains(name))
                m_group = name;
            const QJsonValue v = it.value();
            if (v.isString()) {
                if (!v.toString().isEmpty() && stores(m_section, m_group))
                    m_data.texts[sectionName(m_section) + '/' + m_group].insert(name, v.toString());
            } else if (v.isArray()) {
                readList(name, v.toArray());
            } else if (v.isObject()) {
                walkObject(v.toObject());
            }
        }
    }

    void readList(const QString& name, const QJsonArray& array) {
        const bool mouse = m_section == Section::Mouse;
        if (name == QLatin1String("receiverStatusList")) {
            if (mouse)
                for (const QJsonValue& item : array)
                    m_data.receiverStatus.append({item.toObject().value("option").toString(),
                                                  item.toObject().value("info").toString()});
            return;
        }
        if (name == QLatin1String("randomDelayList")) {
            if (mouse)
                m_data.randomDelays += readDelays(array);
            return;
        }
        if (name == QLatin1String("keyboardKeyfunctions")) {
            if (!mouse)
                for (const QJsonValue& item : array) {
                    const QJsonObject o = item.toObject();
                    m_data.kbFn[o.value("type").toString()].append(
                        {o.value("label").toString(), o.value("value").toString()});
                }
            return;
        }
        const auto rule = listRules().constFind(name);
        if (rule == listRules().constEnd() || !(mouse ? rule->mouse : rule->keyboard))
            return;
        QMap<QString, QString>& map = m_data.lists[sectionName(m_section) + '/' + name];
        for (const QJsonValue& item : array) {
            const QJsonObject o = item.toObject();
            switch (rule->kind) {
            case ListKind::ValueLabel:
                map.insert(o.value("value").toString(), o.value("label").toString());
                break;
            case ListKind::ValueOption:
                map.insert(decimal(o.value("value")), o.value("option").toString());
                break;
            case ListKind::CommandOption:
                map.insert(decimal(o.value("command")), o.value("option").toString());
                break;
            case ListKind::IdOption:
                map.insert(decimal(o.value("id")), o.value("option").toString());
                break;
            case ListKind::ValueTextOption:
                map.insert(o.value("value").toString(), o.value("option").toString());
                break;
            }
        }
    }

private:
    static bool stores(Section s, const QString& group) {
        if (group.isEmpty())
            return false;
        return s == Section::Mouse ? kGroups.contains(group) : kKeyboardGroups.contains(group);
    }
    Section& m_section;
    QString& m_group;
    LangData& m_data;
};

void readNet(const QString& path, Tables& t) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        t.netError = QStringLiteral("Cannot open ") + path;
        return;
    }
    parseLabels(file.readAll(), t.net, t.netError);
}

const LangData* langAt(int index) {
    return index >= 0 && index < g_tables.langs.size() ? &g_tables.langs[index] : nullptr;
}

} // namespace

const QVector<LanguageInfo>& allLanguages() {
    static const QVector<LanguageInfo> list = {
        {"English", "/Language/en.json", QStringLiteral("English"), "en"},
        {"zh-CN", "/Language/zh-CN.json", QString::fromUtf8("简体中文"), "cn"},
        {"zh-CNtr", "/Language/zh-TW.json", QString::fromUtf8("繁體中文"), "cntr"},
        {"Arbic", "/Language/ar.json", QStringLiteral("Arbic"), "ar"},
        {"Japanese", "/Language/ja.json", QStringLiteral("Japanese"), "ja"},
        {"Korean", "/Language/ko.json", QStringLiteral("Korean"), "ko"},
        {"Russian", "/Language/ru.json", QStringLiteral("Russian"), "ru"},
        {"Turkey", "/Language/tr.json", QStringLiteral("Turkey"), "tk"},
        {"Polski", "/Language/Polski.json", QStringLiteral("Polski"), "pl"},
        {"Pt", "/Language/pt.json", QStringLiteral("Portuguese"), "pty"},
        {"XBY", "/Language/es.json", QStringLiteral("Spanish"), "xby"},
    };
    return list;
}

QStringList enabledOptionKeys() {
    QStringList enabled;
    for (const LanguageInfo& l : allLanguages())
        if (ConfigIniStore::instance().intValue("Option", l.optionKey, 0) != 0)
            enabled.append(l.optionKey);
    return enabled;
}

void load() {
    loadFrom(AppPaths::appDir(), enabledOptionKeys());
}

namespace {
// The enabled languages' tables from their files' contents; Net.xml is the caller's.
Tables parseLanguages(const QStringList& enabledOptionKeys, const QHash<QString, QByteArray>& files) {
    Tables t;
    Section section = Section::Keyboard;
    QString group;
    for (const LanguageInfo& l : allLanguages()) {
        if (!enabledOptionKeys.contains(QLatin1String(l.optionKey)))
            continue;
        t.boxNames.append(l.boxName);
        LangData data;
        const auto file = files.constFind(QLatin1String(l.optionKey));
        if (file != files.constEnd()) {
            QJsonParseError err;
            const QJsonDocument doc = QJsonDocument::fromJson(*file, &err);
            if (err.error == QJsonParseError::NoError) {
                Walker w(section, group, data);
                if (doc.isObject())
                    w.walkObject(doc.object());
                else
                    w.readList(QString(), doc.array());
            }
        }
        t.langs.append(data); // a broken file still takes its index, with empty maps
    }
    return t;
}

void install(Tables t) {
    QWriteLocker lock(&g_lock);
    t.code = g_tables.code;
    g_tables = std::move(t);
}
} // namespace

void loadFrom(const QString& appDir, const QStringList& enabledOptionKeys) {
    QHash<QString, QByteArray> files;
    for (const LanguageInfo& l : allLanguages()) {
        QFile file(appDir + l.file);
        if (enabledOptionKeys.contains(QLatin1String(l.optionKey)) &&
            file.open(QIODevice::ReadOnly | QIODevice::Text))
            files.insert(QLatin1String(l.optionKey), file.readAll());
    }
    Tables t = parseLanguages(enabledOptionKeys, files);
    readNet(appDir + "/Language/Net.xml", t);
    install(std::move(t));
}

void loadFromData(const QStringList& enabledOptionKeys, const QHash<QString, QByteArray>& files,
                  const QByteArray& net) {
    Tables t = parseLanguages(enabledOptionKeys, files);
    parseLabels(net, t.net, t.netError);
    install(std::move(t));
}

int loadedCount() {
    QReadLocker lock(&g_lock);
    return g_tables.langs.size();
}

QStringList boxNames() {
    QReadLocker lock(&g_lock);
    return g_tables.boxNames;
}

int currentIndex() {
    return g_index.load();
}
void setCurrentIndex(int index) {
    g_index.store(index);
}

QString text(Section section, const QString& group, const QString& key, int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index);
    return d ? d->texts.value(sectionName(section) + '/' + group).value(key) : QString();
}

QString text(const QString& group, const QString& key, int index) {
    return text(Section::Mouse, group, key, index);
}

QMap<QString, QString> options(Section section, const QString& list, int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index);
    return d ? d->lists.value(sectionName(section) + '/' + list) : QMap<QString, QString>();
}

QList<QPair<QString, QString>> receiverStatus(int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index);
    return d ? d->receiverStatus : QList<QPair<QString, QString>>();
}

QVector<DelayEntry> randomDelays(int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index);
    return d ? d->randomDelays : QVector<DelayEntry>();
}

QList<QPair<QString, QString>> keyboardKeyFunctions(const QString& type, int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index);
    return d ? d->kbFn.value(type) : QList<QPair<QString, QString>>();
}

QStringList netLabels(const QString& dialog) {
    QReadLocker lock(&g_lock);
    return g_tables.net.value(dialog);
}

bool parseLabels(const QByteArray& data, QHash<QString, QStringList>& labels, QString& error) {
    labels.clear();
    error.clear();
    // The DOM parser recurses once per level and overflows the stack some ten thousand levels down. The
    // labels file needs three (Profile, dialog, label) plus a little markup inside a label, so deeper
    // documents are refused by a non-recursive pass before the DOM parser sees them.
    {
        QXmlStreamReader scan(data);
        int depth = 0;
        while (!scan.atEnd()) {
            const QXmlStreamReader::TokenType token = scan.readNext();
            if (token == QXmlStreamReader::StartElement && ++depth > kMaxLabelsDepth) {
                error = QStringLiteral("Labels file nested deeper than %1 levels").arg(kMaxLabelsDepth);
                return false;
            }
            if (token == QXmlStreamReader::EndElement)
                --depth;
        }
        if (scan.hasError()) {
            error = scan.errorString();
            return false;
        }
    }
    QDomDocument doc;
    if (!doc.setContent(data, &error))
        return false;
    const QDomElement root = doc.documentElement();
    if (root.tagName() != QLatin1String("Profile")) {
        error = QStringLiteral("Not a labels file");
        return false;
    }
    for (QDomElement dlg = root.firstChildElement(); !dlg.isNull(); dlg = dlg.nextSiblingElement()) {
        QStringList& list = labels[dlg.tagName()];
        for (QDomElement l = dlg.firstChildElement(); !l.isNull(); l = l.nextSiblingElement())
            list.append(l.text());
    }
    return true;
}

QString netError() {
    QReadLocker lock(&g_lock);
    return g_tables.netError;
}

QString code() {
    QReadLocker lock(&g_lock);
    return g_tables.code;
}

void setCodeFromBoxName(const QString& name) {
    for (const LanguageInfo& l : allLanguages())
        if (l.boxName == name) {
            QWriteLocker lock(&g_lock);
            g_tables.code = QLatin1String(l.code);
            return;
        }
}

} // namespace Language
