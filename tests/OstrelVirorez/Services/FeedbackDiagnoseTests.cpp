#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Services/DiagnosticsDateText.hpp"
#include "OstrelVirorez/Services/FeedbackDiagnosticsSources.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

class FakeSources : public FeedbackDiagnosticsSources {
public:
    std::chrono::system_clock::time_point now() const override { return moment; }
    std::string hotkeyName(KeyCode code) const override {
        const auto name = names.find(code);
        return name != names.end() ? name->second : "Key " + std::to_string(code);
    }
    std::string languageDisplayName(const std::string& code) const override {
        return code == "uk" ? "\u0423\u043a\u0440\u0430\u0457\u043d\u0441\u044c\u043a\u0430" : code;
    }
    bool isAccessibilityTrusted() const override { return trusted; }
    int microphoneAuthorizationStatus() const override { return microphone; }
    std::optional<std::string> claudeAPIKey() const override { return apiKey; }
    ApiKeyStatus::Presence claudeAPIKeyPresence() const override {
        return presence.value_or(FeedbackDiagnosticsSources::claudeAPIKeyPresence());
    }

    std::chrono::system_clock::time_point moment{1'700'000'000s};
    std::map<KeyCode, std::string> names{{54, "Right \u2318"}, {61, "Right \u2325"}, {62, "Right \u2303"}};
    bool trusted = true;
    int microphone = 3;
    std::optional<std::string> apiKey = "sk-secret-value";
    std::optional<ApiKeyStatus::Presence> presence;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::string line;
    std::istringstream stream(text);
    while (std::getline(stream, line)) result.push_back(line);
    return result;
}

class FeedbackDiagnoseTest : public testing::Test {
protected:
    std::string diagnose() const { return FeedbackService::sammeleDiagnose(settings, sources); }

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    FakeSources sources;
};

TEST_F(FeedbackDiagnoseTest, FreshSettingsGiveTheFullText) {
    const auto text = diagnose();
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(lines(text), (std::vector<std::string>{
                               "=== OstrelVirorez Diagnose ===",
                               "Datum: " + diagnosticsDateText(sources.moment),
                               "App: " + FeedbackService::appVersion() + "  |  " + FeedbackService::osVersion(),
                               "",
                               "Engine: Parakeet TDT v3",
                               "Sprache: Automatisch",
                               "Diktat-Tasten: Right \u2318",
                               "Claude-Tasten: Right \u2325",
                               "Mikrofon: System-Standard",
                               "",
                               "Accessibility: erteilt",
                               "Mikrofon-Zugriff: erteilt",
                               "Claude API-Key: konfiguriert",
                           }));
    EXPECT_EQ(text.find("sk-secret-value"), std::string::npos);
}

TEST_F(FeedbackDiagnoseTest, ReflectsTheConfiguration) {
    settings.setSelectedEngine(EngineType::nemotron);
    settings.setPreferredLanguage("uk");
    settings.setVirorezKeyCodes({54, 80});
    settings.setClaudeKeyCodes({});
    settings.setSelectedMicrophoneUID("alsa_input.usb-Mic-00.mono");
    sources.trusted = false;
    sources.apiKey = "";

    const auto text = lines(diagnose());
    ASSERT_EQ(text.size(), 13u);
    EXPECT_EQ(text[4], "Engine: Nemotron 3.5 (Streaming)");
    EXPECT_EQ(text[5], "Sprache: \u0423\u043a\u0440\u0430\u0457\u043d\u0441\u044c\u043a\u0430");
    EXPECT_EQ(text[6], "Diktat-Tasten: Right \u2318 / Key 80");
    EXPECT_EQ(text[7], "Claude-Tasten: ");
    EXPECT_EQ(text[8], "Mikrofon: alsa_input.usb-Mic-00.mono");
    EXPECT_EQ(text[10], "Accessibility: FEHLT");
    EXPECT_EQ(text[12], "Claude API-Key: fehlt");
}

TEST_F(FeedbackDiagnoseTest, NamesEveryEngineAndMicrophoneState) {
    const std::vector<std::pair<EngineType, std::string>> engines{
        {EngineType::parakeet, "Parakeet TDT v3"},
        {EngineType::hushframe, "Hushframe (Large v3 Turbo)"},
        {EngineType::appleSpeech, "Apple SpeechAnalyzer"},
        {EngineType::nemotron, "Nemotron 3.5 (Streaming)"},
    };
    for (const auto& [engine, name] : engines) {
        settings.setSelectedEngine(engine);
        EXPECT_EQ(lines(diagnose())[4], "Engine: " + name);
    }
    const std::vector<std::pair<int, std::string>> states{
        {0, "noch nicht angefragt"}, {1, "eingeschr\u00e4nkt"}, {2, "verweigert"}, {3, "erteilt"}, {7, "unbekannt"},
    };
    for (const auto& [status, text] : states) {
        sources.microphone = status;
        EXPECT_EQ(lines(diagnose())[11], "Mikrofon-Zugriff: " + text);
    }
    sources.apiKey.reset();
    EXPECT_EQ(lines(diagnose())[12], "Claude API-Key: fehlt");
    // The keychain has not answered yet.
    sources.presence = ApiKeyStatus::Presence::unknown;
    EXPECT_EQ(lines(diagnose())[12], "Claude API-Key: unbekannt");
}

} // namespace
