#pragma once
// Macros found on the mouse become files on disk, but only where no file of that name exists: the file
// on disk is the user's copy and may hold a newer edit than the mouse.
#include "app/core/FlashDataMap.h"

#include <QString>

namespace MacroReconcile {

enum class Outcome { Created, Exists, Busy, BadName, WriteFailed };

struct Result {
    Outcome outcome;
    QString name;
};

// Writes the macro of `area` (with the button's cycle value) into `dir` when it has no file of that
// name yet. A name equal to `busyName` (the macro open in an editor with unsaved work) is left alone.
Result fromArea(const QString& dir, const MacroBlock& area, int cycle, const QString& busyName = QString());

} // namespace MacroReconcile
