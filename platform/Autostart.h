#pragma once
#include <QString>

// Start-with-the-session entry: an XDG autostart file under the user's config folder.
namespace Autostart {
QString entryPath();
bool isEnabled();
// Writes (atomically) or removes the entry for `executable`. Returns false when the file system refused.
bool setEnabled(bool enabled, const QString& executable);
} // namespace Autostart
