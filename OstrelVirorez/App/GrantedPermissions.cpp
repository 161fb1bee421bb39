#include "OstrelVirorez/App/GrantedPermissions.hpp"

namespace ostrelvirorez {

CaptureAuthorizationStatus GrantedPermissions::microphoneAuthorizationStatus() const {
    return CaptureAuthorizationStatus::authorized;
}

void GrantedPermissions::requestMicrophoneAccess(std::function<void(bool granted)> answer) {
    if (answer) answer(true);
}

bool GrantedPermissions::isAccessibilityTrusted() const {
    return true;
}

bool GrantedPermissions::requestAccessibilityTrust() {
    return true;
}

} // namespace ostrelvirorez
