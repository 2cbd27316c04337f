#pragma once
#include <QString>

namespace AppPaths {
// "Zentrafox": per-user folder name, single-instance key, registry subkey, tray tooltip.
QString appName();
// The name of the installed .desktop entry without ".desktop"; also the icon's name in the icon theme.
QString desktopId();
// $XDG_DATA_HOME/Zentrafox (QStandardPaths), forward slashes: the per-user folder tree.
QString userDataRoot();
// Home folder + "/AppData/Local/Zentrafox": where earlier builds kept the per-user folder.
QString legacyUserDataRoot();
// Moves a per-user folder left at `from` to `to` once: the whole folder when `to` does not exist yet,
// else entry by entry, never replacing a file already at `to` (such files stay at `from`). Emptied
// folders are removed, and so are the "AppData/Local" parents earlier builds made when nothing else is in
// them. Returns false when something had to stay behind.
bool moveUserData(const QString& from, const QString& to);
// moveUserData(legacyUserDataRoot(), userDataRoot()); nothing to do when there is no legacy folder.
bool migrateLegacyUserData();

// Where the program's own files are for an executable in `exeDir`: the application folder of a build
// (the shipped files and the device library beside the executable), or an installed tree (bin/, the
// library in the package's private library folder, the shipped files under share/zentrafox).
struct ProgramFolders {
    QString data;          // holds usersetting/Config.ini, Language/, Picture/, bin/, driver_sensor.h
    QString deviceLibrary; // the libHIDUsb.so file
};
ProgramFolders programFolders(const QString& exeDir);
// The program folder of the running executable (programFolders().data); ZF_APP_DIR overrides it so
// tests find the built application folder.
QString appDir();
// The window icon's picture in the program folder, for when the icon theme has none (a build's folder).
QString iconFile();
// The device library the running executable loads: programFolders().deviceLibrary.
QString deviceLibraryFile();
} // namespace AppPaths
