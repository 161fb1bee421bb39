#include "tests/OstrelVirorez/Desktop/DesktopWindows.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdexcept>

namespace ostrelvirorez::desktoptest {

DesktopWindows::DesktopWindows(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
    if (!display_) throw std::runtime_error("cannot open " + displayName);
}

DesktopWindows::~DesktopWindows() {
    XCloseDisplay(display_);
}

unsigned long DesktopWindows::add(const Window& spec) {
    const ::Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 50, 50, 0, 0, 0);
    if (!spec.instance.empty() || !spec.className.empty()) {
        XClassHint hint{const_cast<char*>(spec.instance.c_str()), const_cast<char*>(spec.className.c_str())};
        XSetClassHint(display_, window, &hint);
    }
    if (spec.processId) {
        const long pid = static_cast<long>(*spec.processId);
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    }
    if (spec.title) {
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False),
                        XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(spec.title->data()), static_cast<int>(spec.title->size()));
    }
    const long type = static_cast<long>(XInternAtom(display_, spec.type.c_str(), False));
    XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
    clients_.push_back(window);
    std::vector<long> list(clients_.begin(), clients_.end());
    XChangeProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, "_NET_CLIENT_LIST", False),
                    XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(list.data()),
                    static_cast<int>(list.size()));
    XSync(display_, False);
    return window;
}

void DesktopWindows::activate(unsigned long window) {
    const long value = static_cast<long>(window);
    XChangeProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, "_NET_ACTIVE_WINDOW", False),
                    XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
    XSync(display_, False);
}

void DesktopWindows::clearActive() {
    XDeleteProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, "_NET_ACTIVE_WINDOW", False));
    XSync(display_, False);
}

} // namespace ostrelvirorez::desktoptest
