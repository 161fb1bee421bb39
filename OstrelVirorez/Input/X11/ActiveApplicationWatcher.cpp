#include "OstrelVirorez/Input/X11/ActiveApplicationWatcher.hpp"

#include "OstrelVirorez/Input/X11/FileDescriptorPump.hpp"
#include "OstrelVirorez/Input/X11/WindowProperties.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"

#include <X11/Xlib.h>

namespace ostrelvirorez::x11 {

ActiveApplicationWatcher::ActiveApplicationWatcher(platform::MainQueue& mainQueue, std::function<void()> onActivation,
                                                   const std::string& displayName, bool answerOnQueue)
    : display_(X11Display::open(displayName)), onActivation_(std::move(onActivation)) {
    if (!display_) return;
    Display* display = display_->get();
    activeWindowAtom_ = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    XFlush(display);
    current_ = activeApplication();
    if (answerOnQueue) {
        pump_ = std::make_unique<FileDescriptorPump>(mainQueue, display_->fileDescriptor(),
                                                     [this] { processPendingEvents(); });
    }
}

ActiveApplicationWatcher::~ActiveApplicationWatcher() {
    // The pump's thread reads the connection; it stops before the connection closes.
    pump_.reset();
}

void ActiveApplicationWatcher::processPendingEvents(std::chrono::milliseconds timeout) {
    if (!display_) return;
    Display* display = display_->get();
    if (timeout.count() > 0) display_->waitForEvents(timeout);
    bool changed = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        changed = changed || (event.type == PropertyNotify && event.xproperty.atom == activeWindowAtom_);
    }
    if (changed) activeWindowChanged();
}

std::optional<ActiveApplicationWatcher::Application> ActiveApplicationWatcher::activeApplication() const {
    Display* display = display_->get();
    const auto window = activeWindow(display);
    if (!window || *window == 0) return std::nullopt;
    Application application;
    application.processId = windowProcessId(display, *window).value_or(0);
    if (const auto found = windowClass(display, *window)) application.className = found->className;
    if (application.processId == 0 && application.className.empty()) application.window = *window;
    return application;
}

void ActiveApplicationWatcher::activeWindowChanged() {
    const auto now = activeApplication();
    if (!now || now == current_) return;
    current_ = now;
    if (onActivation_) onActivation_();
}

} // namespace ostrelvirorez::x11
