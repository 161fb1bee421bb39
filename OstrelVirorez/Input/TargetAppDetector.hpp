#pragma once
// Tells which application will receive the dictated text (from the active
// window), the title of that window, and the focused text element with its
// text. While this application itself is in front (its settings or menu in
// use) it reports the last other application it saw. Confined to the main
// queue.
//
// The identifier reported (`bundleIdentifier`) is the desktop-file id of the
// window's installed application, found from its WM_CLASS by the rule of
// DesktopApplicationIndex, or the WM_CLASS class name when no desktop file
// matches; the application picker identifies applications the same way.
// The name and icon come from that desktop file when there is one.

#include "OstrelVirorez/App/Ports/TargetAppDetecting.hpp"
#include "OstrelVirorez/Input/FocusedElementSnapshot.hpp"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace ostrelvirorez {

namespace x11 {
class X11Display;
}

class TargetAppDetector final : public TargetAppDetecting {
public:
    // `ownProcessId` identifies this application's windows.
    explicit TargetAppDetector(const std::string& displayName = {}, pid_t ownProcessId = getOwnProcessId());
    ~TargetAppDetector() override;
    TargetAppDetector(const TargetAppDetector&) = delete;
    TargetAppDetector& operator=(const TargetAppDetector&) = delete;

    TargetAppInfo captureCurrentApp() override;
    std::optional<std::string> captureWindowTitle() override;
    // Absent without an accessibility bus, or when the focused element offers no text.
    std::optional<FocusedElementSnapshot> captureFocusedElementSnapshot();
    // The identifier of the application of the active window, whoever it
    // is; absent without an active window or when it names no application.
    // Nothing is remembered.
    std::optional<std::string> frontmostApplicationIdentifier();

    std::string lastBundleIdentifier() const override { return lastBundleIdentifier_; }
    std::string lastAppName() const override { return lastAppName_; }

private:
    struct Frontmost {
        unsigned long window = 0;
        std::string instance;
        std::string className;
        std::optional<pid_t> processId;
    };
    struct Application {
        std::optional<std::string> bundleIdentifier;
        std::optional<std::string> name;
        std::optional<std::string> icon;
    };

    static pid_t getOwnProcessId();
    std::optional<Frontmost> frontmost();
    static Application identify(const Frontmost& front);
    TargetAppInfo reportForeign(const Application& application);

    std::unique_ptr<x11::X11Display> display_;
    pid_t ownProcessId_;
    std::string lastBundleIdentifier_ = "default";
    std::string lastAppName_;
};

} // namespace ostrelvirorez
