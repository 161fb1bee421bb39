#pragma once
// What the General tab uses of the desktop besides the settings and the
// application state: the permissions, the hotkey tap, the input-device list,
// the window notifications, the activation policy, the autostart entry and
// quitting. The window's tab uses the application's own; tests pass fakes.

#include "OstrelVirorez/UI/General/DeviceListSource.hpp"

#include <functional>

namespace ostrelvirorez {

class ActivationPolicySetting;
class AutostartEntry;
class HotkeyTapStatus;
class NotificationCenter;
class PermissionChecking;

struct GeneralSettingsDesktop {
    PermissionChecking& permissions;
    HotkeyTapStatus& hotkeyTap;
    DeviceListSource devices;
    NotificationCenter& notifications;
    // Absent where nothing follows the policy.
    ActivationPolicySetting* activationPolicy = nullptr;
    const AutostartEntry& autostart;
    std::function<void()> quit;
};

} // namespace ostrelvirorez
