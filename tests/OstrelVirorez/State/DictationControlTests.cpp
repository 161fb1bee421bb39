#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include "OstrelVirorez/Model/SqliteDatabase.hpp"

#include <gmock/gmock.h>

#include <algorithm>

namespace ostrelvirorez::testing {
namespace {

using ::testing::ElementsAre;
using std::chrono::milliseconds;

class DictationControlTest : public AppStateFixture {
protected:
    DictationControlTest() {
        settings.setDictationHistoryEnabled(true);
        settings.setAutoVocabularyLearningEnabled(true);
        settings.setFillerWordRemovalEnabled(true);
        settings.setSpokenPunctuationEnabled(true);
        settings.setSmartCapitalization(true);
    }
};

// A history that cannot be saved is a problem the user sees in the status
// panel's last error, at launch and when a save fails mid-run.
TEST_F(DictationControlTest, HistoryProblemsReachTheLastErrorMessage) {
    historyFile = folder / "history" / "DictationHistory.sqlite";
    folder.write("history/DictationHistory.sqlite", "not a database");
    launch();
    ASSERT_TRUE(appState->lastErrorMessage.get());
    EXPECT_NE(appState->lastErrorMessage.get()->find("was damaged"), std::string::npos);

    appState->lastErrorMessage.set(std::nullopt);
    SqliteDatabase locker(*historyFile, milliseconds(0));
    locker.execute("BEGIN EXCLUSIVE");
    engines->answers = {"hello"};
    dictate(DictationMode::raw);
    EXPECT_EQ(appState->state.get(), DictationState::done());
    ASSERT_TRUE(appState->lastErrorMessage.get());
    EXPECT_NE(appState->lastErrorMessage.get()->find("could not be saved in the history"), std::string::npos);

    locker.execute("COMMIT");
    advance(milliseconds(800));
    engines->answers = {"again"};
    dictate(DictationMode::raw);
    ASSERT_EQ(history().size(), 2u);
    EXPECT_EQ(history()[1].text, "Hello");
}

TEST_F(DictationControlTest, RawDictationRunsFromPressToIdle) {
    launch();
    engines->answers = {"um hello world period"};
    press(DictationMode::raw);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::raw));
    EXPECT_TRUE(sounds->played.empty());
    EXPECT_EQ(indicator->shows, 1);
    EXPECT_TRUE(logs.contains("Recording started \u2014 mode: raw, target: TextEdit"));

    release();
    EXPECT_THAT(recordedStates(),
                ElementsAre(DictationState::recording(DictationMode::raw), DictationState::transcribing(DictationMode::raw),
                            DictationState::injecting(), DictationState::done()));
    EXPECT_THAT(injector->injected, ElementsAre("Hello world."));
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::done));
    EXPECT_EQ(appState->lastTranscript.get(), "Hello world.");
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history().front().text, "Hello world.");
    EXPECT_EQ(history().front().mode, "raw");
    EXPECT_EQ(history().front().appBundleIdentifier, "com.example.textedit");

    advance(milliseconds(799));
    EXPECT_EQ(appState->state.get(), DictationState::done());
    advance(milliseconds(1));
    EXPECT_EQ(appState->state.get(), DictationState::idle());
    EXPECT_EQ(indicator->hides, 1);
}

TEST_F(DictationControlTest, ClaudeDictationPastesTheRewrite) {
    launch();
    claudeRewriter->answer = "Dear team, hello.";
    dictate(DictationMode::claude);
    EXPECT_THAT(recordedStates(),
                ElementsAre(DictationState::recording(DictationMode::claude),
                            DictationState::transcribing(DictationMode::claude), DictationState::rewriting(),
                            DictationState::injecting(), DictationState::done()));
    ASSERT_EQ(claudeRewriter->calls.size(), 1u);
    EXPECT_EQ(claudeRewriter->calls.front().rawText, "Hello world");
    EXPECT_TRUE(localRewriter->calls.empty());
    EXPECT_THAT(injector->injected, ElementsAre("Dear team, hello."));
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::done));
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history().front().mode, "claude");
}

TEST_F(DictationControlTest, ClipboardRewriteDictationPastesTheClipboard) {
    launch();
    clipboard->text = "The quick brown fox.";
    claudeRewriter->answer = "A fox.";
    engines->answers = {"shorten this"};
    appState->lastTranscript.set("earlier");
    dictate(DictationMode::clipboardRewrite);
    EXPECT_THAT(recordedStates(),
                ElementsAre(DictationState::recording(DictationMode::clipboardRewrite),
                            DictationState::transcribing(DictationMode::clipboardRewrite),
                            DictationState::rewritingClipboard(), DictationState::injecting(), DictationState::done()));
    EXPECT_EQ(clipboard->text, "A fox.");
    EXPECT_EQ(injector->pastes, 1);
    EXPECT_TRUE(injector->injected.empty());
    EXPECT_TRUE(logs.contains("Clipboard rewritten (6 chars)"));
    EXPECT_EQ(appState->lastTranscript.get(), "earlier");
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history().front().text, "A fox.");
    EXPECT_EQ(history().front().mode, "clipboardRewrite");
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::done));
}

TEST_F(DictationControlTest, RefusedStartsShowTheErrorAndReturnToIdle) {
    struct Case {
        std::string name;
        std::function<void()> arrange;
        DictationMode mode;
        std::string message;
        bool errorSound;
    };
    const std::vector<Case> cases{
        {"no microphone permission",
         [this] { permissions->microphone = CaptureAuthorizationStatus::denied; },
         DictationMode::raw, "Microphone permission denied", true},
        {"no API key", [this] { storeApiKey(""); }, DictationMode::claude, "API Key missing", true},
        {"recorder cannot start", [this] { recorder->startFails = true; }, DictationMode::raw,
         "Microphone unavailable", false},
    };
    launch();
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        entry.arrange();
        states.clear();
        sounds->played.clear();
        press(entry.mode);
        EXPECT_THAT(recordedStates(), ElementsAre(DictationState::recording(entry.mode),
                                                  DictationState::error(entry.message)));
        EXPECT_EQ(appState->lastErrorMessage.get(), entry.message);
        EXPECT_EQ(sounds->played.empty(), !entry.errorSound);
        EXPECT_FALSE(recorder->recording);
        release();
        EXPECT_EQ(appState->state.get(), DictationState::error(entry.message));
        advance(milliseconds(1500));
        EXPECT_EQ(appState->state.get(), DictationState::idle());
        EXPECT_EQ(appState->lastErrorMessage.get(), entry.message);
        // Undo the arrangement for the next case.
        permissions->microphone = CaptureAuthorizationStatus::authorized;
        storeApiKey("sk-test");
        recorder->startFails = false;
    }
    EXPECT_EQ(media->playPauseKeys, 0);
    EXPECT_TRUE(logs.contains("Microphone permission missing \u2014 aborting recording start"));
    EXPECT_TRUE(logs.contains("Claude mode: API Key missing!"));
}

TEST_F(DictationControlTest, TheLocalProviderNeedsNoApiKey) {
    storeApiKey("");
    settings.setRewriteProvider(RewriteProvider::local);
    launch();
    press(DictationMode::claude);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::claude));
    release();
    EXPECT_EQ(localRewriter->calls.size(), 1u);
    EXPECT_TRUE(claudeRewriter->calls.empty());
}

TEST_F(DictationControlTest, UpgradedRecordingTakesTheClipboardPath) {
    launch();
    clipboard->text = "Some text";
    press(DictationMode::raw);
    upgrade(DictationMode::clipboardRewrite);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::clipboardRewrite));
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStartClaude));
    EXPECT_TRUE(logs.contains("Recording mode upgraded to clipboardRewrite"));
    release();
    EXPECT_EQ(injector->pastes, 1);
    EXPECT_TRUE(logs.contains("Clipboard rewritten ("));
}

TEST_F(DictationControlTest, PressesOutsideIdleAreIgnored) {
    launch();
    dictate(DictationMode::raw);
    press(DictationMode::raw);
    EXPECT_EQ(appState->state.get(), DictationState::done());
    EXPECT_EQ(recorder->starts, 1);
    advance(milliseconds(800));
    press(DictationMode::raw);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::raw));
}

TEST_F(DictationControlTest, EachErrorKeepsItsOwnTimeBeforeIdle) {
    launch();
    recorder->startFails = true;
    press(DictationMode::raw);
    advance(milliseconds(1000));
    // A second error half a second before the first one's return.
    appState->state.set(DictationState::idle());
    press(DictationMode::raw);
    advance(milliseconds(600));
    EXPECT_EQ(appState->state.get(), DictationState::error("Microphone unavailable"));
    advance(milliseconds(899));
    EXPECT_EQ(appState->state.get(), DictationState::error("Microphone unavailable"));
    advance(milliseconds(1));
    EXPECT_EQ(appState->state.get(), DictationState::idle());
    EXPECT_EQ(indicator->hides, 1);
}

TEST_F(DictationControlTest, MediaIsPausedAndVolumeDuckedForTheRecordingOnly) {
    settings.setMediaPauseEnabled(true);
    settings.setAudioDuckingEnabled(true);
    settings.setAudioDuckingLevel(0.2);
    launch();
    press(DictationMode::raw);
    EXPECT_EQ(media->playPauseKeys, 1);
    EXPECT_TRUE(media->didPause());
    EXPECT_FLOAT_EQ(*media->volume, 0.1f);
    release();
    EXPECT_EQ(media->playPauseKeys, 2);
    EXPECT_FALSE(media->didPause());
    EXPECT_EQ(media->volume, 0.5f);
    EXPECT_EQ(media->saved, std::nullopt);

    media->volume.reset();
    media->volumesSet.clear();
    advance(milliseconds(800));
    dictate(DictationMode::raw);
    EXPECT_TRUE(media->volumesSet.empty());
}

TEST_F(DictationControlTest, SettingsSwitchedOffDuringARecordingStillUndoWhatTheStartDid) {
    settings.setMediaPauseEnabled(true);
    settings.setAudioDuckingEnabled(true);
    settings.setAudioDuckingLevel(0.2);
    launch();
    press(DictationMode::raw);
    settings.setMediaPauseEnabled(false);
    settings.setAudioDuckingEnabled(false);
    release();
    EXPECT_EQ(media->playPauseKeys, 2);
    EXPECT_FALSE(media->didPause());
    EXPECT_EQ(media->volume, 0.5f);
    EXPECT_EQ(media->saved, std::nullopt);

    // The next recording ducks from the user's volume, not a lowered one.
    settings.setAudioDuckingEnabled(true);
    advance(milliseconds(800));
    press(DictationMode::raw);
    EXPECT_FLOAT_EQ(*media->volume, 0.1f);
    release();
    EXPECT_EQ(media->volume, 0.5f);
    EXPECT_EQ(media->playPauseKeys, 2);
}

TEST_F(DictationControlTest, TheChosenMicrophoneIsSetBeforeEachStartAndAMissingOneFallsBackToTheDefault) {
    settings.setSelectedMicrophoneUID("usb-mic");
    launch();
    press(DictationMode::raw);
    EXPECT_EQ(recorder->inputDevice, 7u);
    release();
    advance(milliseconds(800));

    settings.setSelectedMicrophoneUID("");
    press(DictationMode::raw);
    EXPECT_EQ(recorder->inputDevice, 0u);
    release();
    advance(milliseconds(800));

    // A chosen microphone that is no longer connected records from the
    // system default, not from the device that was set last.
    settings.setSelectedMicrophoneUID("usb-mic");
    press(DictationMode::raw);
    EXPECT_EQ(recorder->inputDevice, 7u);
    release();
    advance(milliseconds(800));
    settings.setSelectedMicrophoneUID("unplugged-mic");
    press(DictationMode::raw);
    EXPECT_EQ(recorder->inputDevice, 0u);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::raw));
    EXPECT_TRUE(logs.contains("Selected microphone 'unplugged-mic' is not present"));
    release();
    advance(milliseconds(800));

    // The same when the microphone goes away between two dictations.
    settings.setSelectedMicrophoneUID("usb-mic");
    press(DictationMode::raw);
    release();
    advance(milliseconds(800));
    devices->devices.pop_back();
    press(DictationMode::raw);
    EXPECT_EQ(recorder->inputDevice, 0u);
}

TEST_F(DictationControlTest, AFailedPasteEndsInAnErrorAndKeepsTheText) {
    settings.setCorrectionLearningEnabled(true);
    launch();
    injector->pasteWorks = false;
    appState->lastTranscript.set("earlier");
    engines->answers = {"hello world"};
    dictate(DictationMode::raw);
    EXPECT_THAT(recordedStates(),
                ElementsAre(DictationState::recording(DictationMode::raw), DictationState::transcribing(DictationMode::raw),
                            DictationState::injecting(),
                            DictationState::error("Paste failed \u2014 text is on the clipboard")));
    EXPECT_EQ(appState->lastErrorMessage.get(), "Paste failed \u2014 text is on the clipboard");
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::error));
    EXPECT_EQ(appState->lastTranscript.get(), "earlier");
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history().front().text, "Hello world");
    advance(milliseconds(1500));
    EXPECT_EQ(appState->state.get(), DictationState::idle());
    // Nothing was pasted, so there is no correction to watch for.
    EXPECT_EQ(correctionEnvironment->frontmostQueries, 0);

    states.clear();
    sounds->played.clear();
    clipboard->text = "Some text";
    dictate(DictationMode::clipboardRewrite);
    EXPECT_EQ(appState->state.get(), DictationState::error("Paste failed \u2014 text is on the clipboard"));
    EXPECT_EQ(clipboard->text, "Rewritten.");
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::error));
    EXPECT_EQ(history().size(), 2u);

    injector->pasteWorks = true;
    advance(milliseconds(1500));
    dictate(DictationMode::raw);
    advance(milliseconds(200));
    EXPECT_GT(correctionEnvironment->frontmostQueries, 0);
}

// The failed switch is reported by its one log line; the engine status the
// settings and the status item show goes on describing the engine in use.
TEST_F(DictationControlTest, FailedProfileEngineSwitchKeepsTheCurrentEngine) {
    engines->failToLoad = {EngineType::nemotron};
    auto profiles = settings.rewritingProfiles();
    for (auto& each : profiles) {
        if (each.isDefault) each.preferredEngine = EngineType::nemotron;
    }
    settings.setRewritingProfiles(profiles);
    launch();
    ASSERT_EQ(appState->engineManager().currentType(), EngineType::parakeet);
    std::vector<EngineStatus> published;
    const auto watch = appState->engineManager().statusChanged().connect(
        [&](const EngineStatus& status) { published.push_back(status); });

    dictate(DictationMode::raw);
    EXPECT_TRUE(logs.contains("Engine override for '"));
    EXPECT_TRUE(logs.contains("\u2192 Nemotron 3.5 (Streaming)"));
    EXPECT_EQ(logCount("Per-profile engine load failed (Nemotron 3.5 (Streaming)), falling back to current. "
                       "Error: "),
              1);
    EXPECT_EQ(logCount("Engine load failed"), 0);
    EXPECT_EQ(logCount("Dictation failed"), 0);
    EXPECT_THAT(engines->transcribedBy, ElementsAre(EngineType::parakeet));
    EXPECT_EQ(appState->state.get(), DictationState::done());
    EXPECT_EQ(appState->engineManager().currentType(), EngineType::parakeet);
    EXPECT_EQ(appState->engineManager().status(), EngineStatus::ready());
    for (const auto& status : published) EXPECT_NE(status.kind(), EngineStatus::Kind::error) << describe(status);
    EXPECT_EQ(published.back(), EngineStatus::ready());
}

// A dictation that fails leaves its cause in the log after "Transcribing...".
TEST_F(DictationControlTest, AFailedDictationLogsItsCause) {
    engines->failToLoad = {EngineType::parakeet};
    launch();
    ASSERT_EQ(appState->engineManager().currentType(), std::nullopt);
    logs.sink().clear();

    dictate(DictationMode::raw);
    EXPECT_EQ(appState->state.get(), DictationState::error("Engine not loaded"));
    const auto lines = logs.sink().messages();
    const auto transcribing = std::find(lines.begin(), lines.end(), "Transcribing...");
    ASSERT_NE(transcribing, lines.end());
    EXPECT_NE(std::find(transcribing, lines.end(), "Dictation failed: Engine not loaded"), lines.end());
}

TEST_F(DictationControlTest, ProfileEngineIsLoadedForTheDictation) {
    auto profiles = settings.rewritingProfiles();
    for (auto& each : profiles) {
        if (each.isDefault) each.preferredEngine = EngineType::hushframe;
    }
    settings.setRewritingProfiles(profiles);
    launch();
    dictate(DictationMode::raw);
    EXPECT_THAT(engines->transcribedBy, ElementsAre(EngineType::hushframe));
}

TEST_F(DictationControlTest, SecondReleaseDuringTheEngineSwitchIsIgnored) {
    engines->failToLoad = {EngineType::parakeet};
    launch();
    ASSERT_EQ(appState->engineManager().currentType(), std::nullopt);
    settings.setSelectedEngine(EngineType::hushframe);
    work.holdWork();
    press(DictationMode::raw);
    release();
    ASSERT_EQ(work.pendingCount(), 1u);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::raw));
    release();
    EXPECT_EQ(recorder->stops, 1);
    EXPECT_EQ(work.pendingCount(), 1u);
    work.runAll();
    runUntilIdle();
    work.runAll();
    runUntilIdle();
    EXPECT_EQ(appState->state.get(), DictationState::done());
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::done));
}

TEST_F(DictationControlTest, ThePipelineGetsTheFullApplicationNameAndTheIndicatorTheShortOne) {
    launch();
    detector->setFrontmost("Visual Studio Code", "com.example.code");
    dictate(DictationMode::claude);
    EXPECT_EQ(appState->targetAppName.get(), "Visual Studi");
    ASSERT_EQ(claudeRewriter->calls.size(), 1u);
    EXPECT_EQ(claudeRewriter->calls.front().appName, "Visual Studio Code");
    EXPECT_EQ(claudeRewriter->calls.front().appBundleIdentifier, "com.example.code");
    EXPECT_EQ(claudeRewriter->calls.front().windowTitle, std::nullopt);
    EXPECT_EQ(history().front().appName, "Visual Studio Code");
}

TEST_F(DictationControlTest, SwitchedOffSettingsLeaveHistoryAndLastTranscriptAlone) {
    settings.setDictationHistoryEnabled(false);
    settings.setAutoVocabularyLearningEnabled(false);
    launch();
    appState->lastTranscript.set("earlier");
    dictate(DictationMode::raw);
    clipboard->text = "Text";
    advance(milliseconds(800));
    dictate(DictationMode::clipboardRewrite);
    EXPECT_TRUE(history().empty());
    EXPECT_EQ(appState->lastTranscript.get(), "earlier");
}

TEST_F(DictationControlTest, WithoutAnyEngineTheDictationEndsInAnError) {
    engines->failToLoad = {EngineType::parakeet};
    launch();
    EXPECT_TRUE(logs.contains("Engine load failed: "));
    dictate(DictationMode::raw);
    EXPECT_EQ(appState->state.get().kind(), DictationState::Kind::error);
    EXPECT_THAT(sounds->played, ElementsAre(SoundEvent::recordingStop, SoundEvent::error));
    EXPECT_TRUE(injector->injected.empty());
}

} // namespace
} // namespace ostrelvirorez::testing
