#pragma once
// Watches a file descriptor on its own thread and, each time it becomes
// readable, runs a handler on the main queue; it waits for that run before
// watching again, so a handler that drains the descriptor is never flooded.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez::x11 {

class FileDescriptorPump {
public:
    FileDescriptorPump(platform::MainQueue& mainQueue, int fileDescriptor, std::function<void()> onReadable);
    // Stops the thread; a run already queued is skipped.
    ~FileDescriptorPump();
    FileDescriptorPump(const FileDescriptorPump&) = delete;
    FileDescriptorPump& operator=(const FileDescriptorPump&) = delete;

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable handled;
        bool stopped = false;
        bool pending = false;
        std::function<void()> onReadable;
    };

    void watch();

    platform::MainQueue& mainQueue_;
    int fileDescriptor_;
    int stopDescriptor_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace ostrelvirorez::x11
