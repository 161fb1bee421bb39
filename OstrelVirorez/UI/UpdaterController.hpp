#pragma once
// The application's updater. This platform has no update service, so the
// updater records and logs what is asked of it: the start once launching is
// over, and every check for updates.

namespace ostrelvirorez {

class UpdaterController {
public:
    // Made without starting the updater.
    UpdaterController() = default;

    void startUpdater();
    void checkForUpdates();

    bool isStarted() const { return started_; }
    int checkRequestCount() const { return checkRequests_; }

private:
    bool started_ = false;
    int checkRequests_ = 0;
};

} // namespace ostrelvirorez
