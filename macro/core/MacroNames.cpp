#include "macro/core/MacroNames.h"

#include "app/core/AppPaths.h"
#include "macro/core/MacroFile.h"

#include <QDir>
#include <QTextCodec>

namespace MacroNames {

NameCheck check(const QString& name, QTextCodec* codec) {
    if (name.isEmpty())
        return NameCheck::Empty;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return NameCheck::Separator;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return NameCheck::DotName;
    if (!codec)
        codec = QTextCodec::codecForLocale();
    if (codec->fromUnicode(name).size() > MacroFormat::kMaxNameBytes)
        return NameCheck::TooLong;
    return NameCheck::Ok;
}

QString folder() {
    return AppPaths::userDataRoot() + QStringLiteral("/usersetting/MacroPage");
}

QString filePath(const QString& name, const QString& dir) {
    return (dir.isEmpty() ? folder() : dir) + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QStringList list(const QString& dir) {
    QStringList names;
    const QStringList files =
        QDir(dir.isEmpty() ? folder() : dir).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    for (QString file : files) {
        file.chop(4);
        if (usable(file))
            names << file;
    }
    return names;
}

} // namespace MacroNames
