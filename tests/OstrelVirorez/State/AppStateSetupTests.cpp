#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include <gmock/gmock.h>

#include <set>
#include <string>
#include <vector>


namespace ostrelvirorez::testing {
namespace {

using ::testing::ElementsAre;
using std::chrono::milliseconds;

using AppStateSetupTest = AppStateFixture;

TEST_F(AppStateSetupTest, LaunchReadsDevicesAndRunsSetUpOnce) {
    launch();
    EXPECT_THAT(devices->calls, ElementsAre("refresh", "listen"));
    EXPECT_TRUE(appState->isSetUp());
    EXPECT_EQ(statusItem->linked.lock(), appState);
    EXPECT_EQ(sounds->preloads, 1);
    EXPECT_EQ(media->guards, 1);
    EXPECT_THAT(hotkeys->calls, ElementsAre("install"));
    EXPECT_EQ(appState->engineManager().currentType(), EngineType::parakeet);
    EXPECT_THAT(statusItem->symbols, ElementsAre("mic"));
    EXPECT_EQ(statusItem->accessibilityDescription, "OstrelVirorez");

    appState->setup();
    runUntilIdle();
    EXPECT_EQ(sounds->preloads, 1);
    EXPECT_EQ(capsLock->guards, 1);
    EXPECT_THAT(hotkeys->calls, ElementsAre("install"));
    settings.setSoundsEnabled(true);
    advance(milliseconds(100));
    EXPECT_EQ(capsLock->calls.size(), 2u); // configure and one sync, not two
}

// Each of the six migrations leaves its own write behind; the writes show
// that set-up runs all of them, once, in their order: the templates, the
// output rules, the hotkey lists, the model, the Claude profile, its prompt.
TEST_F(AppStateSetupTest, SetUpRunsTheSixMigrationsInOrder) {
    const std::string templates =
        R"([{"id":"5A4B1C2D-0000-4000-8000-000000000001","appBundleIdentifier":"com.example.mail",)"
        R"("appName":"Mail","instruction":"old","isEnabled":true}])";
    defaults.set("promptTemplates", platform::DefaultsValue::Data(templates.begin(), templates.end()));
    const std::set<std::string> migrationKeys{"promptTemplates",       "rewritingProfiles",
                                              "profilesMigratedV2",    "virorezKeyCodesRaw",
                                              "claudeKeyCodesRaw",     "clipboardKeyCodesRaw",
                                              "claudeModelMigratedToSonnet5", "profilesMigratedClaudeV2",
                                              "profilesMigratedClaudePromptV3"};
    std::vector<std::string> written;
    const auto watch = defaults.changed().connect([&](const std::string& key) {
        if (migrationKeys.contains(key)) written.push_back(key);
    });

    launch();
    EXPECT_THAT(written, ElementsAre("rewritingProfiles", "promptTemplates", // templates moved, legacy key removed
                                     "profilesMigratedV2", "rewritingProfiles", // output rules appended
                                     "virorezKeyCodesRaw", "claudeKeyCodesRaw", "clipboardKeyCodesRaw",
                                     "claudeModelMigratedToSonnet5", "profilesMigratedClaudeV2",
                                     // the built-in "Claude" text names numbered lists, so the
                                     // prompt repair rewrites it once
                                     "profilesMigratedClaudePromptV3", "rewritingProfiles"));
    EXPECT_TRUE(logs.contains("Migrated 1 templates to rewriting profiles"));

    written.clear();
    launch();
    EXPECT_TRUE(written.empty());
}

TEST_F(AppStateSetupTest, StatusSymbolFollowsTheState) {
    launch();
    press(DictationMode::claude);
    release();
    advance(milliseconds(800));
    EXPECT_THAT(statusItem->symbols, ElementsAre("mic", "sparkles", "waveform", "sparkles", "text.cursor",
                                                 "checkmark.circle", "mic"));
}

TEST_F(AppStateSetupTest, FirstRunOpensSettingsThenOnboarding) {
    settings.setOnboardingCompleted(false);
    launch();
    advance(milliseconds(999));
    EXPECT_TRUE(settingsWindow->events.empty());
    advance(milliseconds(1));
    EXPECT_THAT(settingsWindow->events, ElementsAre("openSettingsWindow"));
    advance(milliseconds(299));
    EXPECT_THAT(settingsWindow->events, ElementsAre("openSettingsWindow"));
    advance(milliseconds(1));
    EXPECT_THAT(settingsWindow->events, ElementsAre("openSettingsWindow", "showOnboardingSheet"));
}

TEST_F(AppStateSetupTest, CompletedOnboardingOpensNothing) {
    launch();
    advance(milliseconds(5000));
    EXPECT_TRUE(settingsWindow->events.empty());
}

TEST_F(AppStateSetupTest, AccessibilityGrantReinstallsHotkeysOnce) {
    launch([this] { permissions->accessibilityTrusted = false; });
    EXPECT_TRUE(logs.contains("Accessibility permission not granted — requesting..."));
    EXPECT_EQ(permissions->accessibilityPrompts, 1);
    advance(milliseconds(6000));
    EXPECT_THAT(hotkeys->calls, ElementsAre("install"));
    permissions->accessibilityTrusted = true;
    advance(milliseconds(1999));
    EXPECT_THAT(hotkeys->calls, ElementsAre("install"));
    advance(milliseconds(1));
    EXPECT_THAT(hotkeys->calls, ElementsAre("install", "uninstall", "install"));
    permissions->accessibilityTrusted = false;
    advance(milliseconds(10000));
    permissions->accessibilityTrusted = true;
    advance(milliseconds(10000));
    EXPECT_THAT(hotkeys->calls, ElementsAre("install", "uninstall", "install"));
    EXPECT_EQ(logCount("Accessibility permission granted \u2014 reinstalling hotkeys"), 1);
}

TEST_F(AppStateSetupTest, DockIconFollowsThePreference) {
    launch();
    EXPECT_EQ(activationPolicy->policy, ActivationPolicy::accessory);
}

TEST_F(AppStateSetupTest, DockIconShownWhenAskedFor) {
    defaults.set("showDockIcon", platform::DefaultsValue(true));
    launch();
    EXPECT_EQ(activationPolicy->policy, ActivationPolicy::regular);
}

TEST_F(AppStateSetupTest, MissingApiKeyIsOnlyLogged) {
    storeApiKey("");
    launch();
    EXPECT_TRUE(logs.contains("\u26A0\uFE0F  Claude API Key missing \u2014 please enter in Settings \u2192 Claude"));
}

TEST_F(AppStateSetupTest, InputLevelReachesTheMonitorOnTheMainQueue) {
    launch();
    recorder->onLevel(0.75f);
    EXPECT_EQ(appState->audioLevelMonitor.level.get(), 0.0f);
    runUntilIdle();
    EXPECT_EQ(appState->audioLevelMonitor.level.get(), 0.75f);
}

TEST_F(AppStateSetupTest, StateDescriptions) {
    launch();
    const std::vector<std::pair<DictationState, std::string>> cases{
        {DictationState::idle(), "Idle"},
        {DictationState::recording(DictationMode::raw), "Recording (Raw)"},
        {DictationState::recording(DictationMode::claude), "Recording (Claude)"},
        {DictationState::recording(DictationMode::clipboardRewrite), "Recording (Clipboard Rewrite)"},
        {DictationState::transcribing(DictationMode::claude), "Transcribing"},
        {DictationState::rewriting(), "Rewriting"},
        {DictationState::rewritingClipboard(), "Rewriting Clipboard"},
        {DictationState::injecting(), "Injecting"},
        {DictationState::done(), "Done"},
        {DictationState::error("Microphone unavailable"), "Error: Microphone unavailable"},
    };
    for (const auto& [value, text] : cases) {
        appState->state.set(value);
        EXPECT_EQ(appState->stateDescription(), text);
    }
}

TEST_F(AppStateSetupTest, MicrophoneStatusDecidesWhatIsLoggedOrAsked) {
    struct Case {
        CaptureAuthorizationStatus status;
        std::string line;
        int requests;
    };
    const std::string denied = "Microphone permission denied — user needs to enable in System Settings";
    const std::vector<Case> cases{
        {CaptureAuthorizationStatus::restricted, denied, 0},
        {CaptureAuthorizationStatus::denied, denied, 0},
        {CaptureAuthorizationStatus::authorized, "Microphone permission already granted", 0},
        {CaptureAuthorizationStatus::notDetermined, "Microphone permission: granted", 1},
    };
    for (const auto& entry : cases) {
        logs.sink().clear();
        launch([&] { permissions->microphone = entry.status; });
        EXPECT_TRUE(logs.contains(entry.line)) << entry.line;
        EXPECT_EQ(permissions->microphoneRequests, entry.requests) << entry.line;
    }
}

// Two engine choices in quick succession, each starting a load: the load of
// the superseded choice does nothing once its turn comes, so only the engine
// chosen last is ever loaded, and each load's completion still runs.
TEST_F(AppStateSetupTest, QuickEngineChoicesLoadOnlyTheLastOne) {
    launch();
    std::vector<std::optional<EngineType>> published;
    const auto watch = appState->engineManager().currentTypeChanged().connect(
        [&](const std::optional<EngineType>& type) { published.push_back(type); });
    work.holdWork();
    int finished = 0;
    settings.setSelectedEngine(EngineType::hushframe);
    appState->loadSelectedEngine([&] { ++finished; });
    settings.setSelectedEngine(EngineType::nemotron);
    appState->loadSelectedEngine([&] { ++finished; });

    ASSERT_TRUE(work.runNext());
    runUntilIdle();
    EXPECT_EQ(appState->engineManager().currentType(), EngineType::parakeet);
    EXPECT_EQ(finished, 1);
    ASSERT_TRUE(work.runNext());
    runUntilIdle();
    EXPECT_EQ(appState->engineManager().currentType(), EngineType::nemotron);
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(published, (std::vector<std::optional<EngineType>>{std::nullopt, EngineType::nemotron}));
    EXPECT_EQ(logCount("Engine load failed"), 0);
}

} // namespace
} // namespace ostrelvirorez::testing
