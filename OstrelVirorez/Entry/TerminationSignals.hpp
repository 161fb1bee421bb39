#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into an orderly quit on the event loop,
// so that the exit guards (volume, paused media, Caps Lock mapping) run when
// the session ends or the user interrupts the program. One per process.

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace ostrelvirorez {

class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void()> quit);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace ostrelvirorez
