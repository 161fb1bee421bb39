#include "OstrelVirorez/App/SettingsFileWatcher.hpp"

#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

namespace ostrelvirorez {

SettingsFileWatcher::SettingsFileWatcher(platform::UserDefaults& defaults, platform::MainQueue& mainQueue)
    : defaults_(defaults), mainQueue_(mainQueue) {
    scheduleLook();
}

SettingsFileWatcher::~SettingsFileWatcher() { nextLook_.cancel(); }

void SettingsFileWatcher::scheduleLook() {
    nextLook_ = mainQueue_.postAfter(interval, [this] {
        defaults_.reloadIfChangedOnDisk();
        scheduleLook();
    });
}

} // namespace ostrelvirorez
