#include "OstrelVirorez/UI/UpdaterController.hpp"

#include "OstrelVirorez/App/Log.hpp"

namespace ostrelvirorez {

void UpdaterController::startUpdater() {
    if (started_) return;
    started_ = true;
    logVirorez("UpdaterController: updater started (no update service on this platform)");
}

void UpdaterController::checkForUpdates() {
    ++checkRequests_;
    logVirorez("UpdaterController: check for updates requested (no update service on this platform)");
}

} // namespace ostrelvirorez
