#pragma once
// The two permissions the application needs: capturing audio and being
// trusted for accessibility (which the hotkey tap and window titles need).

#include <functional>

namespace ostrelvirorez {

enum class CaptureAuthorizationStatus { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

class PermissionChecking {
public:
    virtual ~PermissionChecking() = default;

    virtual CaptureAuthorizationStatus microphoneAuthorizationStatus() const = 0;
    // The answer may arrive on any thread.
    virtual void requestMicrophoneAccess(std::function<void(bool granted)> answer) = 0;
    virtual bool isAccessibilityTrusted() const = 0;
    // Asks with the system's prompt shown.
    virtual bool requestAccessibilityTrust() = 0;
};

} // namespace ostrelvirorez
