// CX11Platform: the monitors of the X screen, for a full screen that runs
// one show per monitor. RandR 1.5 monitors first (what a desktop's display
// settings arrange), then the Xinerama screens of older servers, then the
// whole screen; the choice itself is ChooseMonitors. The lists are read
// once per run and never followed when monitors change later.
#include "backends/x11/x11_platform.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <vector>

#include "backends/x11/x11_display.h"

namespace {

std::vector<MonitorRect> RandrMonitors(CX11Display& d)
{
    std::vector<MonitorRect> list;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(d.Dpy(), &eventBase, &errorBase) || !XRRQueryVersion(d.Dpy(), &major, &minor) ||
        major < 1 || (major == 1 && minor < 5))
        return list;
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d.Dpy(), d.Root(), True, &count);
    if (!monitors)
        return list;
    // The primary monitor first: its show is the one keys go to.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            const XRRMonitorInfo& m = monitors[i];
            if ((m.primary != 0) == (pass == 0))
                list.push_back(MonitorRect{m.x, m.y, m.width, m.height});
        }
    }
    XRRFreeMonitors(monitors);
    return list;
}

std::vector<MonitorRect> XineramaScreens(CX11Display& d)
{
    std::vector<MonitorRect> list;
    int eventBase = 0, errorBase = 0;
    if (!XineramaQueryExtension(d.Dpy(), &eventBase, &errorBase) || !XineramaIsActive(d.Dpy()))
        return list;
    int count = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(d.Dpy(), &count);
    if (!screens)
        return list;
    for (int i = 0; i < count; ++i)
        list.push_back(MonitorRect{screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height});
    XFree(screens);
    return list;
}

} // namespace

std::vector<MonitorRect> CX11Platform::GetMonitors()
{
    CX11Display& d = Connection();
    const MonitorRect screen{0, 0, DisplayWidth(d.Dpy(), d.Screen()), DisplayHeight(d.Dpy(), d.Screen())};
    return ChooseMonitors(RandrMonitors(d), XineramaScreens(d), screen);
}
