#pragma once
// What the feedback diagnostics text needs from outside the settings store:
// the time, key and language names, the two permissions and whether the API
// key is stored. The application supplies the real ones; tests supply fakes.

#include "OstrelVirorez/Model/HotkeyCodeList.hpp"
#include "OstrelVirorez/Services/ApiKeyStatus.hpp"

#include <chrono>
#include <optional>
#include <string>

namespace ostrelvirorez {

class FeedbackDiagnosticsSources {
public:
    virtual ~FeedbackDiagnosticsSources() = default;

    virtual std::chrono::system_clock::time_point now() const = 0;
    // The readable name of a key code, as the hotkey manager names it.
    virtual std::string hotkeyName(KeyCode code) const = 0;
    // The language's own name from the supported-languages table; the code
    // itself when the table does not list it.
    virtual std::string languageDisplayName(const std::string& code) const = 0;
    virtual bool isAccessibilityTrusted() const = 0;
    // Microphone authorisation: 0 not determined, 1 restricted, 2 denied,
    // 3 authorised; anything else is unknown.
    virtual int microphoneAuthorizationStatus() const = 0;
    // The stored hosted-model API key ("claudeAPIKey"), if any.
    virtual std::optional<std::string> claudeAPIKey() const = 0;
    // Whether that key is stored; unknown while the keychain has not
    // answered. By default read from claudeAPIKey().
    virtual ApiKeyStatus::Presence claudeAPIKeyPresence() const {
        const auto key = claudeAPIKey();
        return key && !key->empty() ? ApiKeyStatus::Presence::configured : ApiKeyStatus::Presence::missing;
    }
};

} // namespace ostrelvirorez
