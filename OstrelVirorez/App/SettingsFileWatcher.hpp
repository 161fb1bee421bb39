#pragma once
// Notices changes another program makes to the settings file while the
// application runs: looks at the file once a second on the main queue and
// takes such changes in (see platform::UserDefaults::reloadIfChangedOnDisk),
// so the change signal reaches the views and the hotkeys on the main queue.

#include "Platform/Concurrency/TimerHandle.hpp"

#include <chrono>

namespace platform {
class MainQueue;
class UserDefaults;
} // namespace platform

namespace ostrelvirorez {

class SettingsFileWatcher {
public:
    static constexpr std::chrono::seconds interval{1};

    SettingsFileWatcher(platform::UserDefaults& defaults, platform::MainQueue& mainQueue);
    ~SettingsFileWatcher();
    SettingsFileWatcher(const SettingsFileWatcher&) = delete;
    SettingsFileWatcher& operator=(const SettingsFileWatcher&) = delete;

private:
    void scheduleLook();

    platform::UserDefaults& defaults_;
    platform::MainQueue& mainQueue_;
    platform::TimerHandle nextLook_;
};

} // namespace ostrelvirorez
