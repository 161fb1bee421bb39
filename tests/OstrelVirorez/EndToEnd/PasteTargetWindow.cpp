#include "tests/OstrelVirorez/EndToEnd/PasteTargetWindow.hpp"

#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <stdexcept>

namespace ostrelvirorez::endtoend {

PasteTargetWindow::PasteTargetWindow(const std::string& displayName, const std::string& instance,
                                     const std::string& className, const std::string& title, PasteHandler onPaste)
    : display_(XOpenDisplay(displayName.c_str())), onPaste_(std::move(onPaste)) {
    if (!display_) throw std::runtime_error("cannot open " + displayName);
    stopSignal_ = eventfd(0, EFD_CLOEXEC);
    if (stopSignal_ < 0) {
        XCloseDisplay(display_);
        throw std::runtime_error("eventfd failed");
    }
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    utf8_ = XInternAtom(display_, "UTF8_STRING", False);
    transfer_ = XInternAtom(display_, "PASTE_TARGET_TRANSFER", False);

    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 100, 0, 0, 0);
    XClassHint hint{const_cast<char*>(instance.c_str()), const_cast<char*>(className.c_str())};
    XSetClassHint(display_, window_, &hint);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False), utf8_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    XEvent event;
    do XWindowEvent(display_, window_, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    thread_ = std::jthread([this](std::stop_token stop) { readEvents(stop); });
}

PasteTargetWindow::~PasteTargetWindow() {
    thread_.request_stop();
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(stopSignal_, &one, sizeof one);
    thread_.join();
    close(stopSignal_);
    XCloseDisplay(display_);
}

void PasteTargetWindow::readEvents(std::stop_token stop) {
    while (!stop.stop_requested()) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            handle(event);
        }
        pollfd descriptors[2] = {{ConnectionNumber(display_), POLLIN, 0}, {stopSignal_, POLLIN, 0}};
        poll(descriptors, 2, -1);
    }
}

void PasteTargetWindow::handle(XEvent& event) {
    if (event.type == KeyPress) {
        const auto symbol = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(event.xkey.keycode), 0, 0);
        if (symbol == XK_v && (event.xkey.state & ControlMask)) requestClipboard(event.xkey.time);
    } else if (event.type == SelectionNotify && event.xselection.selection == clipboard_) {
        receiveClipboard(event.xselection.property);
    }
}

void PasteTargetWindow::requestClipboard(unsigned long time) {
    XConvertSelection(display_, clipboard_, utf8_, transfer_, window_, time);
    XFlush(display_);
}

void PasteTargetWindow::receiveClipboard(unsigned long property) {
    // An owner that cannot give text names no property: the paste brings nothing.
    if (property == None) {
        onPaste_({});
        return;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window_, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) != Success) {
        onPaste_({});
        return;
    }
    std::string text;
    if (data && format == 8) text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    onPaste_(text);
}

} // namespace ostrelvirorez::endtoend
