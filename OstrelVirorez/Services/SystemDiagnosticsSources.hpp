#pragma once
// The diagnostics text's view of the running program: the clock, the hotkey
// manager's key names, the supported-languages table, the permission checks
// and the API key's status, which never waits for the keychain.

#include "OstrelVirorez/Services/FeedbackDiagnosticsSources.hpp"

namespace ostrelvirorez {

class PermissionChecking;

class SystemDiagnosticsSources final : public FeedbackDiagnosticsSources {
public:
    // Both must outlive the sources.
    SystemDiagnosticsSources(const PermissionChecking& permissions, const ApiKeyStatus& apiKeyStatus);

    std::chrono::system_clock::time_point now() const override;
    std::string hotkeyName(KeyCode code) const override;
    std::string languageDisplayName(const std::string& code) const override;
    bool isAccessibilityTrusted() const override;
    int microphoneAuthorizationStatus() const override;
    std::optional<std::string> claudeAPIKey() const override;
    ApiKeyStatus::Presence claudeAPIKeyPresence() const override;

private:
    const PermissionChecking& permissions_;
    const ApiKeyStatus& apiKeyStatus_;
};

} // namespace ostrelvirorez
