#include "OstrelVirorez/App/DesktopServices.hpp"

#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelVirorez/State/BareSession.hpp"
#include "tests/OstrelVirorez/State/StateFakes.hpp"
#include "tests/OstrelVirorez/State/StateTestSupport.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>

namespace ostrelvirorez::testing {
namespace {

using ::testing::ElementsAre;

TEST(DesktopServicesTest, TheApplicationStartsWithoutADisplayOrASoundServer) {
    testsupport::TemporaryDirectory folder;
    BareSession session(folder);
    platform::ManualMainQueue queue;
    platform::UserDefaults defaults(folder / "defaults.json");
    AppSettings settings(defaults);
    MemoryKeychain keychain;
    // Holds the start-up engine load: no model is fetched here.
    TestExecutor work;
    work.holdWork();

    auto indicator = std::make_unique<FakeIndicator>();
    auto statusItem = std::make_unique<FakeStatusItem>();
    auto settingsWindow = std::make_unique<FakeSettingsWindow>();
    auto activationPolicy = std::make_unique<FakeActivationPolicy>();
    const auto* statusItemView = statusItem.get();
    const auto* settingsWindowView = settingsWindow.get();
    const auto* activationPolicyView = activationPolicy.get();

    auto services = DesktopServices::make(
        DesktopServices::Context{queue, work.executor(), settings, keychain},
        DesktopServices::UserInterface{std::move(indicator), std::move(statusItem), std::move(settingsWindow),
                                       std::move(activationPolicy)});
    EXPECT_EQ(&services.settings, &settings);
    EXPECT_EQ(&services.keychain, &keychain);
    EXPECT_EQ(services.claudeKeychainKey, "claudeAPIKey");
    EXPECT_EQ(services.applicationSupportFolder, folder / "data");
    EXPECT_EQ(services.permissions->microphoneAuthorizationStatus(), CaptureAuthorizationStatus::authorized);
    EXPECT_TRUE(services.permissions->isAccessibilityTrusted());
    for (const bool present :
         {!!services.audioRecorder, !!services.soundPlayer, !!services.hotkeyManager, !!services.capsLockRemapper,
          !!services.targetAppDetector, !!services.textInjector, !!services.mediaController,
          !!services.claudeRewriter, !!services.localRewriter, !!services.indicatorCoordinator,
          !!services.engineManager, !!services.audioDeviceManager, !!services.dictionaryService,
          !!services.snippetService, !!services.dictationHistoryStore, !!services.statusBarController,
          !!services.settingsWindow, !!services.activationPolicy, !!services.clipboard,
          !!services.correctionWatchEnvironment}) {
        EXPECT_TRUE(present);
    }

    auto appState = AppState::make(std::move(services));
    queue.runUntilIdle();
    queue.advance(std::chrono::seconds(2));
    EXPECT_TRUE(appState->isSetUp());
    // No sound server: the microphone list still offers the system default.
    EXPECT_EQ(appState->audioDeviceManager().inputDevices(),
              (std::vector<AudioInputDevice>{{0, "System Default", ""}}));
    EXPECT_EQ(appState->engineManager().currentType(), std::nullopt);
    // The engine load and the read of the API key's status.
    EXPECT_EQ(work.pendingCount(), 2u);
    EXPECT_THAT(statusItemView->symbols, ElementsAre("mic"));
    EXPECT_EQ(activationPolicyView->policy, ActivationPolicy::accessory);
    EXPECT_THAT(settingsWindowView->events, ElementsAre("openSettingsWindow", "showOnboardingSheet"));
    EXPECT_TRUE(std::filesystem::exists(folder / "data" / "OstrelVirorez"));

    appState->dictationHistoryStore().record("kept", "Editor", std::string("editor"), "raw");
    EXPECT_EQ(appState->dictationHistoryStore().container().entriesNewestFirst().size(), 1u);

    // The held engine load keeps the state alive; let it go without running it.
    work = TestExecutor();
    appState.reset();
    queue.runUntilIdle();
}

} // namespace
} // namespace ostrelvirorez::testing
