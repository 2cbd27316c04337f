#pragma once
// Qt's own texts (the buttons and labels of QFileDialog, QColorDialog, QMessageBox, context menus of
// text fields) in the chosen language, from Qt's translation catalogues ("qtbase_<locale>.qm").
#include <QString>
#include <QStringList>

namespace LanguageQt {

// Qt's locale name for a language's "Option" key ("zh_CN" for "zh-CN"); empty for an unknown key.
QString localeName(const QString& optionKey);

// Where Qt's catalogues are installed (qttranslations5-l10n on Debian).
QString systemFolder();

// Installs Qt's catalogue for the language at `languageIndex` among `enabledOptionKeys`, replacing the
// previous language's. English, an index outside the list or a missing catalogue leave Qt's built-in
// English. True when a catalogue is installed afterwards.
bool apply(int languageIndex, const QStringList& enabledOptionKeys, const QString& folder = systemFolder());

} // namespace LanguageQt
