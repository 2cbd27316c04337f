#pragma once
// Qt's own texts (the buttons and labels of QFileDialog, QColorDialog, QMessageBox, context menus of
// text fields) in the chosen language, from Qt's translation catalogues ("qtbase_<locale>.qm").
#include <QLocale>
#include <QString>
#include <QStringList>

namespace LanguageQt {

// Qt's locale name for a language's "Option" key ("zh_CN" for "zh-CN"); empty for an unknown key.
QString localeName(const QString& optionKey);

// The default locale for a language's Qt locale name: dates, month names and number formats of Qt's own
// dialogs and spin boxes. Digits stay Western in every language; an empty name gives the system's.
QLocale defaultLocale(const QString& locale);

// Where Qt's catalogues are installed (qttranslations5-l10n on Debian).
QString systemFolder();

// Makes the language's locale the default (see defaultLocale) and installs Qt's catalogue for the language at
// `languageIndex` among `enabledOptionKeys`, replacing the previous language's. English, an index outside the
// list or a missing catalogue leave Qt's built-in English. True when a catalogue is installed afterwards.
bool apply(int languageIndex, const QStringList& enabledOptionKeys, const QString& folder = systemFolder());

} // namespace LanguageQt
