#include "tests/Support/XvfbServer.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace testsupport {
namespace {

constexpr int startTimeoutMs = 10000;

bool hasWindowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data) == Success &&
                       count == 1;
    if (data) XFree(data);
    return found;
}

} // namespace

XvfbServer::XvfbServer() : XvfbServer(Options{}) {}

XvfbServer::XvfbServer(Options options) {
    startServer(options.extraArguments);
    if (started() && !options.resources.empty()) publishResources(options.resources);
    if (started() && options.windowManager) startWindowManager();
}

XvfbServer::~XvfbServer() {
    windowManager_.reset();
    server_.reset();
}

void XvfbServer::startServer(const std::vector<std::string>& extraArguments) {
    // Xvfb picks a free display itself and writes its number to the pipe once
    // it accepts connections.
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        failure_ = "no pipe for Xvfb";
        return;
    }
    fcntl(ready[1], F_SETFD, 0);
    std::vector<std::string> arguments{"Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp",
                                       "-screen", "0", "640x480x24", "-noreset"};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    server_ = std::make_unique<ChildProcess>(arguments);
    close(ready[1]);

    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMs);
    while (number.empty() || number.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd descriptor{ready[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[16];
        const auto got = read(ready[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(ready[0]);
    if (number.empty() || number.back() != '\n') {
        failure_ = "Xvfb did not start (is it installed?)";
        return;
    }
    number.pop_back();
    displayName_ = ":" + number;
    Display* display = XOpenDisplay(displayName_.c_str());
    if (!display) {
        failure_ = "Xvfb started but " + displayName_ + " does not accept connections";
        return;
    }
    XCloseDisplay(display);
}

void XvfbServer::publishResources(const std::string& resources) {
    Display* display = XOpenDisplay(displayName_.c_str());
    if (!display) {
        failure_ = "cannot publish X resources on " + displayName_;
        return;
    }
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XSync(display, False);
    XCloseDisplay(display);
}

void XvfbServer::startWindowManager() {
    Display* display = XOpenDisplay(displayName_.c_str());
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    XSync(display, False);
    windowManager_ = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"},
                                                    std::vector<std::string>{"DISPLAY=" + displayName_});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMs);
    while (!hasWindowManager(display)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !windowManager_->running()) {
            failure_ = "openbox did not start";
            break;
        }
        if (XPending(display) == 0) {
            pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
            poll(&descriptor, 1, static_cast<int>(std::min<long>(left.count(), 100)));
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
    XCloseDisplay(display);
}

} // namespace testsupport
