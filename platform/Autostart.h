#pragma once
#include <QString>

// Start-with-the-session entry: an XDG autostart file under the user's config folder. The entry starts the
// program with `startHiddenArgument()`, so a session start puts it in the tray instead of on the screen.
namespace Autostart {
QString entryPath();
bool isEnabled();
// "--autostart"
QString startHiddenArgument();
// The Exec value for `executable` plus the hidden-start argument: quoted and escaped by the desktop-entry
// rules (", `, $ and \ escaped inside the quotes, then \ doubled as in every string value, % as %%).
// Empty when the path cannot be written in an entry (a line break in it).
QString execLine(const QString& executable);
// Writes (atomically) or removes the entry for `executable`. Returns false when the file system refused
// or the path cannot be written in an entry; nothing changes then.
bool setEnabled(bool enabled, const QString& executable);
} // namespace Autostart
