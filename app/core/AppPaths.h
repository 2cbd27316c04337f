#pragma once
#include <QString>

namespace AppPaths {
// "Zentrafox": per-user folder name, single-instance key, registry subkey, tray tooltip.
QString appName();
// Home folder + "/AppData/Local/Zentrafox" (forward slashes).
QString userDataRoot();
// Folder of the executable; overridable with ZF_APP_DIR so tests find the built application folder.
QString appDir();
} // namespace AppPaths
