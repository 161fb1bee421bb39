// The feedback form's diagnostics text.

#include "OstrelVirorez/App/EngineDisplayName.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Services/DiagnosticsDateText.hpp"
#include "OstrelVirorez/Services/FeedbackDiagnosticsSources.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"

#include <vector>

namespace ostrelvirorez {

namespace {

std::string microphoneAccessText(int status) {
    switch (status) {
    case 0: return "noch nicht angefragt";
    case 1: return "eingeschr\u00e4nkt";
    case 2: return "verweigert";
    case 3: return "erteilt";
    default: return "unbekannt";
    }
}

std::string apiKeyText(ApiKeyStatus::Presence presence) {
    switch (presence) {
    case ApiKeyStatus::Presence::configured: return "konfiguriert";
    case ApiKeyStatus::Presence::missing: return "fehlt";
    case ApiKeyStatus::Presence::unknown: return "unbekannt";
    }
    return "unbekannt";
}

std::string keyNames(const std::vector<KeyCode>& codes, const FeedbackDiagnosticsSources& sources) {
    std::string names;
    for (const auto code : codes) {
        if (!names.empty()) names += " / ";
        names += sources.hotkeyName(code);
    }
    return names;
}

} // namespace

std::string FeedbackService::sammeleDiagnose(const AppSettings& settings, const FeedbackDiagnosticsSources& sources) {
    const auto language = settings.preferredLanguage();
    const auto microphone = settings.selectedMicrophoneUID();
    const std::vector<std::string> lines{
        "=== OstrelVirorez Diagnose ===",
        "Datum: " + diagnosticsDateText(sources.now()),
        "App: " + appVersion() + "  |  " + osVersion(),
        "",
        "Engine: " + engineDisplayName(settings.selectedEngine()),
        "Sprache: " + (language.empty() ? std::string("Automatisch") : sources.languageDisplayName(language)),
        "Diktat-Tasten: " + keyNames(settings.virorezKeyCodes(), sources),
        "Claude-Tasten: " + keyNames(settings.claudeKeyCodes(), sources),
        "Mikrofon: " + (microphone.empty() ? std::string("System-Standard") : microphone),
        "",
        "Accessibility: " + std::string(sources.isAccessibilityTrusted() ? "erteilt" : "FEHLT"),
        "Mikrofon-Zugriff: " + microphoneAccessText(sources.microphoneAuthorizationStatus()),
        "Claude API-Key: " + apiKeyText(sources.claudeAPIKeyPresence()),
    };
    std::string text;
    for (const auto& line : lines) {
        if (&line != &lines.front()) text += '\n';
        text += line;
    }
    return text;
}

} // namespace ostrelvirorez
