#include "platform/ScreenMetrics.h"

#ifdef ZF_HAVE_X11
#include <X11/Xlib.h>
#endif

int ScreenMetrics::desktopWidthPixels() {
#ifdef ZF_HAVE_X11
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return -1;
    const int width = DisplayWidth(display, DefaultScreen(display));
    XCloseDisplay(display);
    return width;
#else
    return -1;
#endif
}
