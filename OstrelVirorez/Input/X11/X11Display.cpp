#include "OstrelVirorez/Input/X11/X11Display.hpp"

#include <X11/Xlib.h>
#include <poll.h>

#include <cstdlib>
#include <mutex>
#include <string_view>

namespace ostrelvirorez::x11 {
namespace {

// Requests on windows that vanished meanwhile (a requestor, a focused window)
// fail with an error; Xlib's default handler would end the process.
int ignoreProtocolError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

std::unique_ptr<X11Display> X11Display::open(const std::string& name) {
    static std::once_flag handlerInstalled;
    std::call_once(handlerInstalled, [] { XSetErrorHandler(ignoreProtocolError); });
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display) return nullptr;
    return std::unique_ptr<X11Display>(new X11Display(display));
}

X11Display::~X11Display() {
    XCloseDisplay(display_);
}

int X11Display::fileDescriptor() const {
    return ConnectionNumber(display_);
}

int X11Display::queuedEventCount() const {
    return XQLength(display_);
}

bool X11Display::waitForEvents(std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (XPending(display_) == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
        if (poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) return XPending(display_) > 0;
    }
    return true;
}

bool isWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (type && std::string_view(type) == "wayland") || (wayland && *wayland);
}

} // namespace ostrelvirorez::x11
