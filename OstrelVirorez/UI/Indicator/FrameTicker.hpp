#pragma once
// Calls a frame function about sixty times a second on the main queue for as
// long as it asks for more, so animations advance on the queue's timers (in
// virtual time in tests). Stopping or destroying the ticker drops the next
// frame.

#include "Platform/Concurrency/TimerHandle.hpp"

#include <chrono>
#include <functional>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class FrameTicker {
public:
    static constexpr std::chrono::milliseconds interval{16};

    // `frame` returns whether another frame should follow.
    FrameTicker(platform::MainQueue& mainQueue, std::function<bool()> frame);
    ~FrameTicker();
    FrameTicker(const FrameTicker&) = delete;
    FrameTicker& operator=(const FrameTicker&) = delete;

    // Schedules the next frame unless one is pending.
    void start();
    void stop();
    bool isRunning() const { return running_; }

private:
    void tick();

    platform::MainQueue& mainQueue_;
    std::function<bool()> frame_;
    platform::TimerHandle next_;
    bool running_ = false;
};

} // namespace ostrelvirorez
