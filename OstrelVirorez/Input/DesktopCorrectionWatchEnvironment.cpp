#include "OstrelVirorez/Input/DesktopCorrectionWatchEnvironment.hpp"

#include "OstrelVirorez/Input/HotkeyManager.hpp"
#include "OstrelVirorez/Input/TargetAppDetector.hpp"
#include "OstrelVirorez/Input/X11/ActiveApplicationWatcher.hpp"

namespace ostrelvirorez {

DesktopCorrectionWatchEnvironment::DesktopCorrectionWatchEnvironment(platform::MainQueue& mainQueue,
                                                                     TargetAppDetector& detector,
                                                                     HotkeyManager& hotkeyManager,
                                                                     std::string displayName)
    : mainQueue_(mainQueue), detector_(detector), hotkeyManager_(hotkeyManager), displayName_(std::move(displayName)) {}

DesktopCorrectionWatchEnvironment::~DesktopCorrectionWatchEnvironment() {
    // The hotkey manager outlives this; it must not call into a handler that is gone.
    hotkeyManager_.setOnCommitKeySignal({});
}

std::optional<std::string> DesktopCorrectionWatchEnvironment::frontmostBundleIdentifier() const {
    return detector_.frontmostApplicationIdentifier();
}

std::optional<CorrectionWatchEnvironment::FieldSnapshot> DesktopCorrectionWatchEnvironment::captureFocusedElementSnapshot() {
    auto snapshot = detector_.captureFocusedElementSnapshot();
    if (!snapshot || !snapshot->element) return std::nullopt;
    return FieldSnapshot{snapshot->element->identifier(), std::move(snapshot->value)};
}

void DesktopCorrectionWatchEnvironment::setOnCommitKeySignal(std::function<void()> handler) {
    if (!handler) {
        hotkeyManager_.setOnCommitKeySignal({});
        return;
    }
    hotkeyManager_.setOnCommitKeySignal([handler = std::move(handler)](CorrectionCommitSignal) { handler(); });
}

platform::Connection DesktopCorrectionWatchEnvironment::observeApplicationActivation(std::function<void()> handler) {
    if (!watcher_) {
        watcher_ = std::make_unique<x11::ActiveApplicationWatcher>(
            mainQueue_, [this] { activations_.emit(); }, displayName_);
    }
    return activations_.connect([handler = std::move(handler)] { handler(); });
}

} // namespace ostrelvirorez
