#pragma once
// One owned connection to an X server, closed with its owner.

#include <chrono>
#include <memory>
#include <string>

struct _XDisplay;

namespace ostrelvirorez::x11 {

class X11Display {
public:
    // Connects to `name`, or to $DISPLAY when empty; nullptr when no server answers.
    static std::unique_ptr<X11Display> open(const std::string& name = {});
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    _XDisplay* get() const { return display_; }
    int fileDescriptor() const;
    // Events Xlib has already read from the connection; a watch on the
    // descriptor no longer sees them.
    int queuedEventCount() const;
    // True once events are queued, waiting at most `timeout` for the server to send some.
    bool waitForEvents(std::chrono::milliseconds timeout) const;

private:
    explicit X11Display(_XDisplay* display) : display_(display) {}

    _XDisplay* display_;
};

// Whether the session is a Wayland one, where X clients see no global keys.
bool isWaylandSession();

} // namespace ostrelvirorez::x11
