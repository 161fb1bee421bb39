#include "OstrelVirorez/UI/Indicator/FrameTicker.hpp"

#include "Platform/Concurrency/MainQueue.hpp"

namespace ostrelvirorez {

FrameTicker::FrameTicker(platform::MainQueue& mainQueue, std::function<bool()> frame)
    : mainQueue_(mainQueue), frame_(std::move(frame)) {}

FrameTicker::~FrameTicker() { stop(); }

void FrameTicker::start() {
    if (running_) return;
    running_ = true;
    next_ = mainQueue_.postAfter(interval, [this] { tick(); });
}

void FrameTicker::stop() {
    next_.cancel();
    running_ = false;
}

void FrameTicker::tick() {
    running_ = false;
    if (frame_()) start();
}

} // namespace ostrelvirorez
