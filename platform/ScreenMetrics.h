#pragma once
namespace ScreenMetrics {
// Width of the desktop in physical pixels, read before the application object exists; -1 when unknown
// (no display or built without X11).
int desktopWidthPixels();
} // namespace ScreenMetrics
