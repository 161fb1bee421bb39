#pragma once
// Follows the window manager's _NET_ACTIVE_WINDOW on the root window and
// reports each time a window of another application becomes active. Windows
// of one application (same process, else same WM_CLASS class) count as one;
// a moment with no active window, as between two windows, reports nothing.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez::x11 {

class FileDescriptorPump;
class X11Display;

class ActiveApplicationWatcher {
public:
    // Connects to `displayName` ($DISPLAY when empty); without a server it
    // never reports. With `answerOnQueue` events are read on the main queue
    // as they arrive; otherwise the owner calls processPendingEvents().
    ActiveApplicationWatcher(platform::MainQueue& mainQueue, std::function<void()> onActivation,
                             const std::string& displayName = {}, bool answerOnQueue = true);
    ~ActiveApplicationWatcher();
    ActiveApplicationWatcher(const ActiveApplicationWatcher&) = delete;
    ActiveApplicationWatcher& operator=(const ActiveApplicationWatcher&) = delete;

    bool isConnected() const { return static_cast<bool>(display_); }
    // Handles the events that arrived, waiting at most `timeout` for the first.
    void processPendingEvents(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

private:
    struct Application {
        unsigned long processId = 0;
        std::string className;
        // Tells windows apart that name neither a process nor a class.
        unsigned long window = 0;
        bool operator==(const Application&) const = default;
    };

    std::optional<Application> activeApplication() const;
    void activeWindowChanged();

    std::unique_ptr<X11Display> display_;
    unsigned long activeWindowAtom_ = 0;
    std::function<void()> onActivation_;
    std::optional<Application> current_;
    std::unique_ptr<FileDescriptorPump> pump_;
};

} // namespace ostrelvirorez::x11
