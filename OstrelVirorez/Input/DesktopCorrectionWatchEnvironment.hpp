#pragma once
// What correction learning needs of the desktop, from the desktop's own
// layers: the frontmost application's identifier and the focused text
// element from the target-application detector (the active window and the
// accessibility bus), the commit keys from the hotkey manager, and
// application activations from the window manager's active window.
// Confined to the main queue; the detector and the hotkey manager must
// outlive it.

#include "OstrelVirorez/Input/CorrectionWatchEnvironment.hpp"

#include <memory>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class HotkeyManager;
class TargetAppDetector;

namespace x11 {
class ActiveApplicationWatcher;
}

class DesktopCorrectionWatchEnvironment final : public CorrectionWatchEnvironment {
public:
    // Activations are followed on `displayName` ($DISPLAY when empty) from
    // the first observer on.
    DesktopCorrectionWatchEnvironment(platform::MainQueue& mainQueue, TargetAppDetector& detector,
                                      HotkeyManager& hotkeyManager, std::string displayName = {});
    ~DesktopCorrectionWatchEnvironment() override;
    DesktopCorrectionWatchEnvironment(const DesktopCorrectionWatchEnvironment&) = delete;
    DesktopCorrectionWatchEnvironment& operator=(const DesktopCorrectionWatchEnvironment&) = delete;

    std::optional<std::string> frontmostBundleIdentifier() const override;
    std::optional<FieldSnapshot> captureFocusedElementSnapshot() override;
    void setOnCommitKeySignal(std::function<void()> handler) override;
    [[nodiscard]] platform::Connection observeApplicationActivation(std::function<void()> handler) override;

private:
    platform::MainQueue& mainQueue_;
    TargetAppDetector& detector_;
    HotkeyManager& hotkeyManager_;
    std::string displayName_;
    platform::Signal<> activations_;
    std::unique_ptr<x11::ActiveApplicationWatcher> watcher_;
};

} // namespace ostrelvirorez
