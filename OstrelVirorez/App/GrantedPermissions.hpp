#pragma once
// The permissions of a Linux desktop session: there is no prompt for audio
// capture or for watching keys and windows, so both count as granted. A
// sound server or display that refuses access shows up as a failure of the
// recorder or the key tap instead, which those report themselves.

#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"

namespace ostrelvirorez {

class GrantedPermissions final : public PermissionChecking {
public:
    CaptureAuthorizationStatus microphoneAuthorizationStatus() const override;
    // Answers at once, on the calling thread.
    void requestMicrophoneAccess(std::function<void(bool granted)> answer) override;
    bool isAccessibilityTrusted() const override;
    bool requestAccessibilityTrust() override;
};

} // namespace ostrelvirorez
