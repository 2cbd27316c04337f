#include "platform/ScreenMetrics.h"

#ifdef ZF_HAVE_X11
#include <X11/Xlib.h>

#include <string>
#ifdef ZF_HAVE_XRANDR
#include <X11/extensions/Xrandr.h>
#endif
#endif

namespace ScreenMetrics {

int openingMonitorWidth(const std::vector<Monitor>& monitors, int screenWidth) {
    for (const Monitor& m : monitors)
        if (m.primary && m.width > 0)
            return m.width;
    for (const Monitor& m : monitors)
        if (m.x == 0 && m.y == 0 && m.width > 0)
            return m.width;
    for (const Monitor& m : monitors)
        if (m.width > 0)
            return m.width;
    return screenWidth;
}

#if defined(ZF_HAVE_X11) && defined(ZF_HAVE_XRANDR)
namespace {
// Active monitors through RandR: its monitor list (1.5, which also holds monitors a desktop defines
// itself), else the outputs and their primary flag (1.3); empty when the server has neither.
std::vector<Monitor> randrMonitors(Display* display) {
    std::vector<Monitor> monitors;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
        major < 1 || (major == 1 && minor < 3))
        return monitors;
    if (major > 1 || minor >= 5) {
        int count = 0;
        if (XRRMonitorInfo* list = XRRGetMonitors(display, DefaultRootWindow(display), True, &count)) {
            for (int i = 0; i < count; ++i)
                monitors.push_back(
                    {list[i].x, list[i].y, list[i].width, list[i].height, list[i].primary != 0});
            XRRFreeMonitors(list);
        }
        if (!monitors.empty())
            return monitors;
    }
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources)
        return monitors;
    const RROutput primary = XRRGetOutputPrimary(display, root);
    for (int i = 0; i < resources->noutput; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!output)
            continue;
        if (output->connection == RR_Connected && output->crtc) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
                if (crtc->width > 0)
                    monitors.push_back({crtc->x, crtc->y, int(crtc->width), int(crtc->height),
                                        resources->outputs[i] == primary});
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return monitors;
}
} // namespace
#endif

int desktopWidthPixels() {
#ifdef ZF_HAVE_X11
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return -1;
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
#ifdef ZF_HAVE_XRANDR
    const int width = openingMonitorWidth(randrMonitors(display), screenWidth);
#else
    const int width = screenWidth;
#endif
    XCloseDisplay(display);
    return width;
#else
    return -1;
#endif
}

bool x11CompositingManagerRunning() {
#ifdef ZF_HAVE_X11
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    const bool running = XGetSelectionOwner(display, selection) != None;
    XCloseDisplay(display);
    return running;
#else
    return false;
#endif
}

} // namespace ScreenMetrics
