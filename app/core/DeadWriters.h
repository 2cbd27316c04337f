#pragma once
// A writer killed while committing a file (between linking its new copy under a temporary name and
// renaming it over the old one) leaves "<file>.XXXXXX" beside it. Nothing reads those; without this
// they would pile up, one per unlucky kill.

#include <QStringList>

namespace DeadWriters {
// The folders the program and zentrafoxctl write their settings, macros and caches into.
QStringList folders();
// Removes such leftovers of INI, settings and record-cache files in `folders`, when older than
// `olderThanSeconds` (a live writer renames within a moment). Returns how many went.
int removeLeftovers(const QStringList& folders = DeadWriters::folders(), int olderThanSeconds = 10);
} // namespace DeadWriters
