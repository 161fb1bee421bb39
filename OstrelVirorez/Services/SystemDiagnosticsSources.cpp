#include "OstrelVirorez/Services/SystemDiagnosticsSources.hpp"

#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"
#include "OstrelVirorez/Engines/SupportedLanguages.hpp"
#include "OstrelVirorez/Input/HotkeyNames.hpp"

#include <cstdint>
#include <limits>

namespace ostrelvirorez {

SystemDiagnosticsSources::SystemDiagnosticsSources(const PermissionChecking& permissions,
                                                   const ApiKeyStatus& apiKeyStatus)
    : permissions_(permissions), apiKeyStatus_(apiKeyStatus) {}

std::chrono::system_clock::time_point SystemDiagnosticsSources::now() const {
    return std::chrono::system_clock::now();
}

std::string SystemDiagnosticsSources::hotkeyName(KeyCode code) const {
    // A stored code outside the key-code range names no key; it is shown as
    // it is rather than as the key its low bits happen to select.
    if (code < 0 || code > std::numeric_limits<std::uint16_t>::max()) return "Key " + std::to_string(code);
    return HotkeyNames::name(static_cast<std::uint16_t>(code));
}

std::string SystemDiagnosticsSources::languageDisplayName(const std::string& code) const {
    return SupportedLanguages::displayName(code);
}

bool SystemDiagnosticsSources::isAccessibilityTrusted() const {
    return permissions_.isAccessibilityTrusted();
}

int SystemDiagnosticsSources::microphoneAuthorizationStatus() const {
    return static_cast<int>(permissions_.microphoneAuthorizationStatus());
}

std::optional<std::string> SystemDiagnosticsSources::claudeAPIKey() const { return apiKeyStatus_.key(); }

ApiKeyStatus::Presence SystemDiagnosticsSources::claudeAPIKeyPresence() const { return apiKeyStatus_.presence(); }

} // namespace ostrelvirorez
