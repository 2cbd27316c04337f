#pragma once
#include <vector>

namespace ScreenMetrics {
// One monitor of the desktop, in physical pixels.
struct Monitor {
    int x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
};
// Width of the monitor the window opens on: the primary one, else the one at the origin, else the
// first; `screenWidth` (the whole X screen) when no monitor is known. -1 stays "unknown".
int openingMonitorWidth(const std::vector<Monitor>& monitors, int screenWidth);
// That width for the running display, read before the application object exists: monitors through
// RandR, the whole screen when RandR is absent; -1 when unknown (no display or built without X11).
int desktopWidthPixels();
// Whether a compositing manager runs on the X display (it owns "_NET_WM_CM_S<screen>"): only then do
// translucent window backgrounds show what lies behind. False without a display or X11.
bool x11CompositingManagerRunning();
} // namespace ScreenMetrics
