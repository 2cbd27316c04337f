#pragma once
// Process services used by main() before and around the first window.
#include <QString>

class QWidget;

namespace StartupServices {
// Creates the per-user folder tree and an empty Macro.ini when missing (best effort).
void createUserFolders();
// Deletes files (not folders) of `folder` whose age in whole days is greater than 7. Returns how many.
int pruneOldFiles(const QString& folder);
// "QT_SCALE_FACTOR" value for a desktop `width` pixels wide; empty when the variable stays unchanged.
QString scaleFactorFor(int width);
// Scales the fonts of `root` and its descendants by `factor`, each from the size it had before the call.
void applyFontScale(QWidget* root, double factor);
// Registers the fatal-signal handler; later calls do nothing.
void installCrashHandler();

// The single-instance rule: a shared-memory segment keyed by the application name, guarded by a
// QLockFile naming the owner's pid, so that a segment left behind by a killed process is reclaimed. Both
// are per session: their files live in the session's runtime folder (RuntimeDir).
class SingleInstance {
public:
    explicit SingleInstance(const QString& key);
    ~SingleInstance();
    // True when this process now owns the instance; false when a live other instance holds it.
    bool acquire();

private:
    struct Impl;
    Impl* d;
};
} // namespace StartupServices
