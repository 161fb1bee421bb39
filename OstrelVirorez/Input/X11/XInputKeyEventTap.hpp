#pragma once
// The desktop's listen-only key event tap: raw key events of every master
// keyboard from the X server's input extension, translated into the
// application's key codes and modifier flag bits. A Wayland session offers no
// such access, so there the tap cannot be enabled.

#include "OstrelVirorez/Input/KeyEventTap.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez::x11 {

class FileDescriptorPump;
class X11Display;

class XInputKeyEventTap final : public KeyEventTap {
public:
    // With a main queue, events are read and delivered there as they arrive;
    // without one the owner calls processPendingEvents() itself.
    explicit XInputKeyEventTap(platform::MainQueue* mainQueue, std::string displayName = {});
    ~XInputKeyEventTap() override;

    bool enable(Handler handler) override;
    void disable() override;
    std::string unavailableReason() const override { return unavailableReason_; }

    // Waits at most `timeout` for events, then delivers every queued one.
    void processPendingEvents(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

private:
    // Why this session offers no tap; empty when it does.
    std::string openListenConnection();
    void deliver(unsigned int xKeyCode, bool pressed);

    platform::MainQueue* mainQueue_;
    std::string displayName_;
    std::unique_ptr<X11Display> display_;
    std::unique_ptr<FileDescriptorPump> pump_;
    Handler handler_;
    int opcode_ = 0;
    std::uint64_t modifierFlags_ = 0;
    std::string unavailableReason_;
};

} // namespace ostrelvirorez::x11
