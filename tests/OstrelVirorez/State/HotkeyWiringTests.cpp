#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include "OstrelVirorez/Input/HotkeyNames.hpp"
#include "Platform/Files/FileContents.hpp"

#include <nlohmann/json.hpp>

#include <gmock/gmock.h>

namespace ostrelvirorez::testing {
namespace {

using ::testing::ElementsAre;
using std::chrono::milliseconds;
using KeyCodes = HotkeyListening::KeyCodes;

using HotkeyWiringTest = AppStateFixture;

TEST_F(HotkeyWiringTest, SetUpCopiesTheListsAndConnectsTheCallbacks) {
    settings.setVirorezKeyCodes({54, 55, 54});
    settings.setClaudeKeyCodes({61});
    settings.setClipboardKeyCodes({-3, 70000, 62});
    launch([this] {
        EXPECT_FALSE(hotkeys->onStart);
        EXPECT_TRUE(hotkeys->calls.empty());
    });
    EXPECT_EQ(hotkeys->virorez, (KeyCodes{54, 55}));
    EXPECT_EQ(hotkeys->claude, (KeyCodes{61}));
    EXPECT_EQ(hotkeys->clipboard, (KeyCodes{62}));
    EXPECT_THAT(capsLock->calls, ElementsAre("revert"));
    EXPECT_EQ(capsLock->guards, 1);
    EXPECT_THAT(hotkeys->calls, ElementsAre("install"));

    // The callbacks only queue the dictation operation.
    hotkeys->onStart(DictationMode::raw);
    EXPECT_EQ(appState->state.get(), DictationState::idle());
    runUntilIdle();
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::raw));
}

TEST_F(HotkeyWiringTest, CapsLockFollowsKeyCode80InAnyList) {
    settings.setClaudeKeyCodes({80});
    launch();
    EXPECT_THAT(capsLock->calls, ElementsAre("apply"));
    settings.setClaudeKeyCodes({61});
    settings.setClipboardKeyCodes({80, 62});
    advance(milliseconds(100));
    EXPECT_THAT(capsLock->calls, ElementsAre("apply", "apply"));
    settings.setClipboardKeyCodes({62});
    advance(milliseconds(100));
    EXPECT_THAT(capsLock->calls, ElementsAre("apply", "apply", "revert"));
}

TEST_F(HotkeyWiringTest, ABurstOfChangesSyncsOnce100msAfterTheLast) {
    launch();
    capsLock->calls.clear();
    settings.setVirorezKeyCodes({55});
    advance(milliseconds(25));
    settings.setVirorezKeyCodes({56});
    advance(milliseconds(25));
    settings.setVirorezKeyCodes({54, 55});
    advance(milliseconds(99));
    EXPECT_EQ(hotkeys->virorez, (KeyCodes{54}));
    EXPECT_TRUE(capsLock->calls.empty());
    advance(milliseconds(1));
    EXPECT_EQ(hotkeys->virorez, (KeyCodes{54, 55}));
    EXPECT_EQ(capsLock->calls.size(), 1u);
    EXPECT_EQ(logCount("Davavaz hotkeys updated: " + HotkeyNames::name(54) + " / " + HotkeyNames::name(55)), 1);
    EXPECT_EQ(logCount("hotkeys updated"), 1);
}

// Another program edits the settings file while the application runs: the
// change is taken in within a second and reaches the hotkeys, and the next
// save here keeps it.
TEST_F(HotkeyWiringTest, ListsEditedInTheSettingsFileByAnotherProgramTakeEffect) {
    launch();
    auto file = nlohmann::json::parse(platform::files::readFile(defaults.file()));
    file["virorezKeyCodesRaw"] = "54,55";
    file["editedElsewhere"] = true;
    platform::files::writeAtomically(defaults.file(), file.dump());

    advance(milliseconds(999));
    EXPECT_EQ(hotkeys->virorez, (KeyCodes{54}));
    advance(milliseconds(1) + AppState::hotkeySettingsDebounce);
    EXPECT_EQ(hotkeys->virorez, (KeyCodes{54, 55}));

    settings.setSoundsEnabled(false);
    const auto saved = nlohmann::json::parse(platform::files::readFile(defaults.file()));
    EXPECT_EQ(saved["virorezKeyCodesRaw"], "54,55");
    EXPECT_EQ(saved["editedElsewhere"], true);
    EXPECT_EQ(saved["soundsEnabled"], false);
}

TEST_F(HotkeyWiringTest, AnUnrelatedChangeOnlyRepeatsTheCapsLockDecision) {
    launch();
    capsLock->calls.clear();
    settings.setSoundsEnabled(false);
    advance(milliseconds(100));
    EXPECT_THAT(capsLock->calls, ElementsAre("revert"));
    EXPECT_EQ(logCount("hotkeys updated"), 0);
}

TEST_F(HotkeyWiringTest, EachChangedListIsLoggedWithItsOwnPrefix) {
    launch();
    settings.setClaudeKeyCodes({58});
    settings.setClipboardKeyCodes({});
    advance(milliseconds(100));
    EXPECT_EQ(hotkeys->claude, (KeyCodes{58}));
    EXPECT_TRUE(hotkeys->clipboard.empty());
    EXPECT_EQ(logCount("Claude hotkeys updated: " + HotkeyNames::name(58)), 1);
    EXPECT_TRUE(logs.sink().contains("Clipboard hotkeys updated: "));
    EXPECT_EQ(logCount("Davavaz hotkeys updated"), 0);
}

} // namespace
} // namespace ostrelvirorez::testing
