#pragma once
// The read-only "Diagnostics" card: accessibility trust (asked afresh on each
// read, with a request that shows the system's prompt where there is one),
// the hotkey tap, the last key event, the keys of the raw and claude modes by
// their Linux names, the dictation state and the last error. Fires changed()
// on any change of the settings, the application state or the hotkey tap.

#include "Platform/Core/Signal.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;
class AppState;
class HotkeyTapStatus;
class PermissionChecking;

class DiagnosticsModel {
public:
    DiagnosticsModel(AppSettings& settings, AppState& appState, PermissionChecking& permissions,
                     HotkeyTapStatus& hotkeyTap);

    bool accessibilityTrusted() const;
    void requestAccessibility();
    bool eventTapActive() const;
    std::string lastKeyEvent() const;
    std::string dictationKeys() const;
    std::string claudeKeys() const;
    std::string stateText() const;
    std::optional<std::string> lastError() const;

    platform::Signal<>& changed() { return changed_; }

private:
    AppSettings& settings_;
    AppState& appState_;
    PermissionChecking& permissions_;
    HotkeyTapStatus& hotkeyTap_;
    platform::Signal<> changed_;
    std::vector<platform::Connection> watches_;
};

} // namespace ostrelvirorez
