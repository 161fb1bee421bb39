#pragma once
// What the settings window's status panel shows: whether audio capture and
// accessibility are granted (asked each time they are read), the line of the
// speech engine and the last dictation error. changed() fires when the
// engine, the last error or the settings change. Main thread only.

#include "Platform/Core/Signal.hpp"

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

namespace ostrelvirorez {

class AppSettings;
class AppState;
class PermissionChecking;

class SettingsStatusModel {
public:
    SettingsStatusModel(AppState& appState, AppSettings& settings, const PermissionChecking& permissions);
    SettingsStatusModel(const SettingsStatusModel&) = delete;
    SettingsStatusModel& operator=(const SettingsStatusModel&) = delete;

    bool isMicrophoneGranted() const;
    bool isAccessibilityTrusted() const;

    // "Not loaded", a downloading or loading note, "<engine> — Ready" naming
    // the engine actually loaded, or the load's error message.
    QString engineStatusText() const;
    QColor engineStatusColor() const;

    // Present while the application state holds a last error, even an empty one.
    std::optional<QString> lastError() const;

    platform::Signal<>& changed() { return changed_; }

private:
    AppState& appState_;
    AppSettings& settings_;
    const PermissionChecking& permissions_;
    platform::Signal<> changed_;
    std::vector<platform::Connection> sources_;
};

} // namespace ostrelvirorez
