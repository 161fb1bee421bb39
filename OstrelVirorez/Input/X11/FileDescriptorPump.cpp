#include "OstrelVirorez/Input/X11/FileDescriptorPump.hpp"

#include "Platform/Concurrency/MainQueue.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace ostrelvirorez::x11 {

FileDescriptorPump::FileDescriptorPump(platform::MainQueue& mainQueue, int fileDescriptor,
                                       std::function<void()> onReadable)
    : mainQueue_(mainQueue),
      fileDescriptor_(fileDescriptor),
      stopDescriptor_(eventfd(0, EFD_CLOEXEC)),
      shared_(std::make_shared<Shared>()) {
    if (stopDescriptor_ < 0) throw std::runtime_error("eventfd failed");
    shared_->onReadable = std::move(onReadable);
    thread_ = std::thread([this] { watch(); });
}

FileDescriptorPump::~FileDescriptorPump() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopped = true;
        shared_->onReadable = nullptr;
    }
    shared_->handled.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(stopDescriptor_, &one, sizeof one);
    thread_.join();
    close(stopDescriptor_);
}

void FileDescriptorPump::watch() {
    for (;;) {
        pollfd descriptors[2] = {{fileDescriptor_, POLLIN, 0}, {stopDescriptor_, POLLIN, 0}};
        if (poll(descriptors, 2, -1) < 0) continue;
        if (descriptors[1].revents != 0) return;
        std::unique_lock lock(shared_->mutex);
        if (shared_->stopped) return;
        shared_->pending = true;
        mainQueue_.post([shared = shared_] {
            std::function<void()> handler;
            {
                std::lock_guard lock(shared->mutex);
                handler = shared->onReadable;
            }
            if (handler) handler();
            {
                std::lock_guard lock(shared->mutex);
                shared->pending = false;
            }
            shared->handled.notify_all();
        });
        shared_->handled.wait(lock, [&] { return !shared_->pending || shared_->stopped; });
        if (shared_->stopped) return;
        if (descriptors[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return;
    }
}

} // namespace ostrelvirorez::x11
