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

// Where the walk stands between files: the section and group carry over from one file to the next.
struct WalkState {
    Section section = Section::Keyboard;
    QString group;
};

// Each language's file is read when one of its texts is first asked for: a start in one language reads
// one file, not all of them.
struct Tables {
    QVector<LangData> langs;
    QStringList files;            // per enabled language, its full path
    QVector<QByteArray> contents; // instead of the files, when loaded from memory
    bool inMemory = false;
    QVector<bool> loaded;   // langs[i] holds file i's texts
    QVector<bool> endKnown; // endState[i] is where the walk stands after file i
    QVector<WalkState> endState;
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
    // Without `data` only the section and group are followed, for the files before the one wanted.
    Walker(Section& section, QString& group, LangData* data)
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
                if (m_data && !v.toString().isEmpty() && stores(m_section, m_group))
                    m_data->texts[sectionName(m_section) + '/' + m_group].insert(name, v.toString());
            } else if (v.isArray()) {
                if (m_data)
                    readList(name, v.toArray());
            } else if (v.isObject()) {
                walkObject(v.toObject());
            }
        }
    }

    void readList(const QString& name, const QJsonArray& array) {
        if (!m_data)
            return;
        LangData& data = *m_data;
        const bool mouse = m_section == Section::Mouse;
        if (name == QLatin1String("receiverStatusList")) {
            if (mouse)
                for (const QJsonValue& item : array)
                    data.receiverStatus.append({item.toObject().value("option").toString(),
                                                item.toObject().value("info").toString()});
            return;
        }
        if (name == QLatin1String("randomDelayList")) {
            if (mouse)
                data.randomDelays += readDelays(array);
            return;
        }
        if (name == QLatin1String("keyboardKeyfunctions")) {
            if (!mouse)
                for (const QJsonValue& item : array) {
                    const QJsonObject o = item.toObject();
                    data.kbFn[o.value("type").toString()].append(
                        {o.value("label").toString(), o.value("value").toString()});
                }
            return;
        }
        const auto rule = listRules().constFind(name);
        if (rule == listRules().constEnd() || !(mouse ? rule->mouse : rule->keyboard))
            return;
        QMap<QString, QString>& map = data.lists[sectionName(m_section) + '/' + name];
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
    LangData* m_data;
};

// Walks file `path` from `state`; a file that cannot be opened or parsed leaves `data` empty and the state
// as it was.
void walkBytes(const QByteArray& bytes, WalkState& state, LangData* data) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError)
        return;
    Walker w(state.section, state.group, data);
    if (doc.isObject())
        w.walkObject(doc.object());
    else
        w.readList(QString(), doc.array());
}

void walkFile(const QString& path, WalkState& state, LangData* data) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        walkBytes(file.readAll(), state, data);
}

void readNet(const QString& path, Tables& t) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        t.netError = QStringLiteral("Cannot open ") + path;
        return;
    }
    parseLabels(file.readAll(), t.net, t.netError);
}

// Reads file `index` (and follows the files before it whose end is not known yet). Under the write lock.
void loadLanguage(int index) {
    Tables& t = g_tables;
    WalkState state;
    int first = index;
    while (first > 0 && !t.endKnown[first - 1])
        --first;
    if (first > 0)
        state = t.endState[first - 1];
    for (int i = first; i <= index; ++i) {
        const bool wanted = i == index;
        if (t.inMemory)
            walkBytes(t.contents[i], state, wanted ? &t.langs[i] : nullptr);
        else
            walkFile(t.files[i], state, wanted ? &t.langs[i] : nullptr);
        t.endState[i] = state;
        t.endKnown[i] = true;
    }
    t.loaded[index] = true;
}

// The language's tables, read on first use. Takes the read lock for the caller, which keeps it while it
// copies what it needs from the tables.
const LangData* langAt(int index, QReadLocker& lock) {
    if (index < 0 || index >= g_tables.langs.size())
        return nullptr;
    if (!g_tables.loaded[index]) {
        lock.unlock();
        {
            QWriteLocker write(&g_lock);
            if (!g_tables.loaded[index])
                loadLanguage(index);
        }
        lock.relock();
        if (index >= g_tables.langs.size()) // tables replaced meanwhile
            return nullptr;
    }
    return &g_tables.langs[index];
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
// The enabled languages, each file still unread; `contents` (by "Option" key) stands in for the files.
Tables listLanguages(const QString& appDir, const QStringList& enabledOptionKeys,
                     const QHash<QString, QByteArray>* contents) {
    Tables t;
    t.inMemory = contents != nullptr;
    for (const LanguageInfo& l : allLanguages()) {
        if (!enabledOptionKeys.contains(QLatin1String(l.optionKey)))
            continue;
        t.boxNames.append(l.boxName);
        t.files.append(appDir + l.file);
        if (contents) // a missing one reads like a broken file
            t.contents.append(contents->value(QLatin1String(l.optionKey)));
    }
    // A broken file still takes its index, with empty maps.
    t.langs.resize(t.files.size());
    t.loaded.fill(false, t.files.size());
    t.endKnown.fill(false, t.files.size());
    t.endState.resize(t.files.size());
    return t;
}

void install(Tables t) {
    QWriteLocker lock(&g_lock);
    t.code = g_tables.code;
    g_tables = std::move(t);
}
} // namespace

void loadFrom(const QString& appDir, const QStringList& enabledOptionKeys) {
    Tables t = listLanguages(appDir, enabledOptionKeys, nullptr);
    readNet(appDir + "/Language/Net.xml", t);
    install(std::move(t));
}

void loadFromData(const QStringList& enabledOptionKeys, const QHash<QString, QByteArray>& files,
                  const QByteArray& net) {
    Tables t = listLanguages(QString(), enabledOptionKeys, &files);
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
    const LangData* d = langAt(index, lock);
    return d ? d->texts.value(sectionName(section) + '/' + group).value(key) : QString();
}

QString text(const QString& group, const QString& key, int index) {
    return text(Section::Mouse, group, key, index);
}

QMap<QString, QString> options(Section section, const QString& list, int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index, lock);
    return d ? d->lists.value(sectionName(section) + '/' + list) : QMap<QString, QString>();
}

QList<QPair<QString, QString>> receiverStatus(int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index, lock);
    return d ? d->receiverStatus : QList<QPair<QString, QString>>();
}

QVector<DelayEntry> randomDelays(int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index, lock);
    return d ? d->randomDelays : QVector<DelayEntry>();
}

QList<QPair<QString, QString>> keyboardKeyFunctions(const QString& type, int index) {
    QReadLocker lock(&g_lock);
    const LangData* d = langAt(index, lock);
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
