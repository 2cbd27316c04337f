#pragma once
// Language tables: one key-to-text map per (section, group) and language, filled from the JSON files
// under the application folder's "/Language/". A missing key yields an empty text.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Language {
enum class Section { Keyboard, Mouse };

struct LanguageInfo {
    const char* optionKey; // "Option" key in Config.ini enabling the language
    const char* file;      // below the application folder
    QString boxName;       // entry of the language boxes
    const char* code;
};
// The eleven languages in their fixed order.
const QVector<LanguageInfo>& allLanguages();

// "Option" keys of the languages enabled in ConfigIniStore, in list order: what language indexes count.
QStringList enabledOptionKeys();
// Lists every language enabled in ConfigIniStore "Option" from AppPaths::appDir(), then reads Net.xml. A
// language's file is read at the first lookup in that language (files before it are followed for the
// section and group they end in), so a start reads one.
void load();
// Same, from an explicit folder and list of enabled "Option" keys (tests, tools).
void loadFrom(const QString& appDir, const QStringList& enabledOptionKeys);
// Same, from contents already read: each enabled language's JSON by its "Option" key (a missing one
// loads like a broken file) and Net.xml's.
void loadFromData(const QStringList& enabledOptionKeys, const QHash<QString, QByteArray>& files,
                  const QByteArray& net);

// Number of loaded (enabled) languages and their box names, in index order.
int loadedCount();
QStringList boxNames();

// The process language index (position among the enabled languages).
int currentIndex();
void setCurrentIndex(int index);

// Text of `key` in the (section, group) table for language `index`; empty when unknown.
QString text(Section section, const QString& group, const QString& key, int index);
// Mouse-section shorthand kept for the pages.
QString text(const QString& group, const QString& key, int index);
inline QString text(const QString& group, const QString& key) {
    return text(group, key, currentIndex());
}

// Map-shaped option lists ("KeyOptions", "ReportRates", "tabsList", "keyboardTabList", ...).
QMap<QString, QString> options(Section section, const QString& list, int index);
inline QMap<QString, QString> options(const QString& list, int index = currentIndex()) {
    return options(Section::Mouse, list, index);
}
// "receiverStatusList": (option, info) pairs in file order.
QList<QPair<QString, QString>> receiverStatus(int index);
// "randomDelayList": entries with nested children of the same shape.
struct DelayEntry {
    QString option;
    int value = 0;
    QVector<DelayEntry> children;
};
QVector<DelayEntry> randomDelays(int index);
// "keyboardKeyfunctions": (label, value) pairs of one type ("0x00".."0x0A").
QList<QPair<QString, QString>> keyboardKeyFunctions(const QString& type, int index);

// Net.xml: labels of one dialog element ("label", "label_1", ...) in document order.
QStringList netLabels(const QString& dialog);
QString netError(); // last parse error of Net.xml, empty when it was read
// Reads a labels document into dialog -> labels; on any fault `labels` stays empty and `error` says why.
// Documents nested deeper than kMaxLabelsDepth elements are refused before they are parsed.
constexpr int kMaxLabelsDepth = 16;
bool parseLabels(const QByteArray& data, QHash<QString, QStringList>& labels, QString& error);

// Process language code ("en", "cn", ...); set from a box name, unknown names leave it unchanged.
QString code();
void setCodeFromBoxName(const QString& name);

} // namespace Language
