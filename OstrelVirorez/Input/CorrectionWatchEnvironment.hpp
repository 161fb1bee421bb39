#pragma once
// What correction learning needs of the desktop: the frontmost application,
// the focused text field and its value, the commit keys and application
// activations. The application passes its accessibility, workspace and hotkey
// layers in through this; tests pass a fake.

#include "Platform/Core/Signal.hpp"

#include <functional>
#include <optional>
#include <string>

namespace ostrelvirorez {

class CorrectionWatchEnvironment {
public:
    // The focused element and its text value. `element` identifies the
    // element: two snapshots of the same element have the same one.
    struct FieldSnapshot {
        std::string element;
        std::string value;
    };

    virtual ~CorrectionWatchEnvironment() = default;

    // Absent when there is no frontmost application or it has no bundle identifier.
    virtual std::optional<std::string> frontmostBundleIdentifier() const = 0;
    virtual std::optional<FieldSnapshot> captureFocusedElementSnapshot() = 0;
    // Replaces the one commit-key callback (Return, Enter or Tab went down);
    // it may be called on any thread.
    virtual void setOnCommitKeySignal(std::function<void()> handler) = 0;
    // Calls `handler` on the main queue whenever any application is activated.
    [[nodiscard]] virtual platform::Connection observeApplicationActivation(std::function<void()> handler) = 0;
};

} // namespace ostrelvirorez
