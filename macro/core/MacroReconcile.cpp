#include "macro/core/MacroReconcile.h"

#include "macro/core/MacroFile.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"

#include <QDir>
#include <QFileInfo>

namespace MacroReconcile {

Result fromArea(const QString& dir, const MacroBlock& area, int cycle, const QString& busyName) {
    const QString name = MacroPacker::name(area);
    if (!MacroNames::usable(name))
        return {Outcome::BadName, name};
    if (!busyName.isEmpty() && name == busyName)
        return {Outcome::Busy, name};
    const QString path = MacroNames::filePath(name, dir);
    if (QFileInfo::exists(path))
        return {Outcome::Exists, name};
    QDir().mkpath(dir);
    if (!MacroFormat::writeFile(path, MacroPacker::unpack(area, cycle)))
        return {Outcome::WriteFailed, name};
    return {Outcome::Created, name};
}

} // namespace MacroReconcile
