#pragma once
// One running application per user session. The first start holds a lock on
// a file in the user's private runtime folder and listens on a socket beside
// it; a later start finds the lock taken, asks the running application
// through that socket to bring its settings window forward, and ends. The
// lock goes with the process, however it ends, so a crashed instance never
// blocks the next start.

#include <QSocketNotifier>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace ostrelvirorez {

class SingleInstance {
public:
    // "$XDG_RUNTIME_DIR/OstrelVirorez"; without a runtime folder, a folder
    // of the user's own below the temporary folder.
    static std::filesystem::path sessionFolder();

    // Takes the lock in `folder` (made private to the user if missing), or
    // finds it taken. Throws platform::Error when the folder is not the
    // user's own or the lock or the socket cannot be made.
    explicit SingleInstance(std::filesystem::path folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // This process holds the lock.
    bool isPrimary() const { return listener_ >= 0; }

    // Primary only: while the returned watch lives, each request runs
    // `onActivate` on the Qt event loop. The watch must go before the
    // application object and before this instance.
    [[nodiscard]] std::unique_ptr<QSocketNotifier> listen(std::function<void()> onActivate);
    // Primary only: answers every request waiting now, without blocking on a
    // new one; what listen() runs when the socket becomes readable.
    void serveRequests();

    // Secondary only: asks the running instance to come forward and waits at
    // most `timeout` for its answer; false when it did not answer.
    bool activatePrimary(std::chrono::milliseconds timeout = std::chrono::seconds(3)) const;

private:
    void listenOnSocket();
    void answer(int connection);

    std::filesystem::path folder_;
    int lock_ = -1;
    int listener_ = -1;
    std::function<void()> onActivate_;
};

} // namespace ostrelvirorez
