#pragma once
// Macro names double as file names in the macro folder and travel to the mouse in 30 bytes, so a name
// is checked before anything is written under it.
#include <QString>
#include <QStringList>

class QTextCodec;

namespace MacroNames {

enum class NameCheck { Ok, Empty, Separator, DotName, TooLong };
// Not empty, no "/", "\" or NUL, not "." or "..", at most 30 bytes in `codec` (the locale's by default).
NameCheck check(const QString& name, QTextCodec* codec = nullptr);
inline bool usable(const QString& name, QTextCodec* codec = nullptr) {
    return check(name, codec) == NameCheck::Ok;
}

// UserDataRoot + "/usersetting/MacroPage".
QString folder();
// The file of a macro in a folder (default: the macro folder).
QString filePath(const QString& name, const QString& dir = QString());
// The macros of a folder: the usable names of its "*.ini" files, sorted.
QStringList list(const QString& dir = QString());

} // namespace MacroNames
