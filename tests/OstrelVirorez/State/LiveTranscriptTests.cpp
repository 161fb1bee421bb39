#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include <gmock/gmock.h>

namespace ostrelvirorez::testing {
namespace {

using ::testing::ElementsAre;
using std::chrono::milliseconds;

class LiveTranscriptTest : public AppStateFixture {
protected:
    LiveTranscriptTest() { settings.setLiveTranscriptEnabled(true); }

    void watchMonitor() {
        observers.push_back(appState->liveTranscriptMonitor.isActive.observe(
            [this](const bool& value) { activity.push_back(value); }));
    }

    std::vector<bool> activity;
};

TEST_F(LiveTranscriptTest, IntervalHasA500msFloor) {
    const std::vector<std::pair<std::int64_t, int>> cases{{200, 500}, {500, 500}, {-5, 500}, {501, 501}};
    for (const auto& [setting, expected] : cases) {
        settings.setLiveTranscriptIntervalMs(setting);
        launch();
        press(DictationMode::raw);
        advance(milliseconds(expected - 1));
        EXPECT_EQ(recorder->snapshots, 0) << setting;
        advance(milliseconds(1));
        EXPECT_EQ(recorder->snapshots, 1) << setting;
        release();
    }
    defaults.remove("liveTranscriptIntervalMs");
    launch();
    press(DictationMode::raw);
    advance(milliseconds(1799));
    EXPECT_EQ(recorder->snapshots, 0);
    advance(milliseconds(1));
    EXPECT_EQ(recorder->snapshots, 1);
}

TEST_F(LiveTranscriptTest, PreviewRunsDuringTheRecordingAndIsResetAtTheRelease) {
    settings.setLiveTranscriptIntervalMs(1000);
    engines->answers = {"hello", "   ", "hello there", "final text"};
    launch();
    watchMonitor();
    press(DictationMode::raw);
    EXPECT_THAT(activity, ElementsAre(false, true));
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "");

    advance(milliseconds(1000));
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "hello");
    advance(milliseconds(1000));
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "hello"); // a blank pass keeps the text
    upgrade(DictationMode::clipboardRewrite);
    advance(milliseconds(1000));
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "hello there");

    clipboard->text = "x";
    release();
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "");
    EXPECT_FALSE(appState->liveTranscriptMonitor.isActive.get());
    const int snapshots = recorder->snapshots;
    advance(milliseconds(5000));
    EXPECT_EQ(recorder->snapshots, snapshots);
}

TEST_F(LiveTranscriptTest, SwitchedOffOrRefusedTheMonitorIsNotTouched) {
    settings.setLiveTranscriptEnabled(false);
    launch();
    watchMonitor();
    press(DictationMode::raw);
    advance(milliseconds(3000));
    EXPECT_TRUE(activity.empty());
    EXPECT_EQ(recorder->snapshots, 0);
    release();

    settings.setLiveTranscriptEnabled(true);
    launch([this] { recorder->startFails = true; });
    activity.clear();
    watchMonitor();
    press(DictationMode::raw);
    EXPECT_TRUE(activity.empty());
}

TEST_F(LiveTranscriptTest, WithoutAnEngineThePreviewStaysEmptyAndSilent) {
    engines->failToLoad = {EngineType::parakeet};
    settings.setLiveTranscriptIntervalMs(500);
    launch();
    logs.sink().clear();
    press(DictationMode::raw);
    advance(milliseconds(2000));
    EXPECT_EQ(recorder->snapshots, 4);
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "");
    EXPECT_EQ(logs.sink().messages().size(), 1u); // only "Recording started"
}

TEST_F(LiveTranscriptTest, APassStillRunningAtTheReleaseDoesNotWriteThePreview) {
    settings.setLiveTranscriptIntervalMs(500);
    engines->answers = {"late words", "final"};
    launch();
    work.holdWork();
    press(DictationMode::raw);
    advance(milliseconds(500));
    ASSERT_EQ(work.pendingCount(), 1u);
    release();
    work.runNext(); // the preview pass ends after the stop
    runUntilIdle();
    EXPECT_EQ(appState->liveTranscriptMonitor.preview.get(), "");
    EXPECT_FALSE(appState->liveTranscriptMonitor.isActive.get());
}

TEST_F(LiveTranscriptTest, NothingCapturedEndsThePreviewForTheRecording) {
    settings.setLiveTranscriptIntervalMs(500);
    launch([this] { recorder->captured.reset(); });
    press(DictationMode::raw);
    advance(milliseconds(2000));
    EXPECT_EQ(recorder->snapshots, 1);
    EXPECT_TRUE(appState->liveTranscriptMonitor.isActive.get());
}

} // namespace
} // namespace ostrelvirorez::testing
