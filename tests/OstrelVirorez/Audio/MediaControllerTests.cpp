#include "OstrelVirorez/Audio/MediaController.hpp"
#include "tests/OstrelVirorez/Audio/FakeMediaPlayer.hpp"
#include "tests/Support/SessionBusTestServer.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/TestHost.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace ostrelvirorez {
namespace {

using testing::FakeMediaPlayer;
using Calls = std::vector<std::string>;

// The controller's state is process-wide; every test begins neutral.
class MediaControllerTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    void reset() {
        if (controller.didPause()) controller.sendPlayPauseKey();
        controller.setDidPause(false);
        controller.setSavedVolume(std::nullopt);
    }

    MediaController controller;
};

class MediaPauseTest : public MediaControllerTest {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(bus.running(), bus.failure());
        MediaControllerTest::SetUp();
    }

    testsupport::SessionBusTestServer bus;
};

TEST_F(MediaPauseTest, PausesOnlyPlayingPlayersAndResumesOnlyThose) {
    FakeMediaPlayer playing(bus.address(), "music", "Playing");
    FakeMediaPlayer paused(bus.address(), "video", "Paused");
    FakeMediaPlayer stopped(bus.address(), "radio", "Stopped");
    ASSERT_TRUE(playing.ready() && paused.ready() && stopped.ready());

    controller.sendPlayPauseKey();
    EXPECT_EQ(playing.status(), "Paused");
    EXPECT_EQ(playing.calls(), Calls{"Pause"});
    EXPECT_TRUE(paused.calls().empty());
    EXPECT_TRUE(stopped.calls().empty());

    controller.sendPlayPauseKey();
    EXPECT_EQ(playing.status(), "Playing");
    EXPECT_EQ(playing.calls(), (Calls{"Pause", "Play"}));
    EXPECT_EQ(paused.status(), "Paused");
    EXPECT_TRUE(paused.calls().empty());
    EXPECT_EQ(stopped.status(), "Stopped");
    EXPECT_TRUE(stopped.calls().empty());
}

TEST_F(MediaPauseTest, NothingPlayingMeansNothingIsStartedOrPaused) {
    FakeMediaPlayer idle(bus.address(), "music", "Paused");
    ASSERT_TRUE(idle.ready());
    controller.sendPlayPauseKey();
    // Music the user starts during the recording is not touched at its end.
    idle.setStatus("Playing");
    controller.sendPlayPauseKey();
    EXPECT_TRUE(idle.calls().empty());
    EXPECT_EQ(idle.status(), "Playing");
}

TEST_F(MediaPauseTest, PlayerTheUserStoppedMeanwhileIsNotResumed) {
    FakeMediaPlayer player(bus.address(), "music", "Playing");
    ASSERT_TRUE(player.ready());
    controller.sendPlayPauseKey();
    player.setStatus("Stopped");
    controller.sendPlayPauseKey();
    EXPECT_EQ(player.calls(), Calls{"Pause"});
}

TEST_F(MediaPauseTest, TerminationResumesWhatWasPausedOnceAndNeverPauses) {
    FakeMediaPlayer player(bus.address(), "music", "Playing");
    ASSERT_TRUE(player.ready());
    controller.sendPlayPauseKey();
    controller.setDidPause(true);
    MediaController::undoForTermination();
    MediaController::undoForTermination();
    EXPECT_EQ(player.calls(), (Calls{"Pause", "Play"}));
    EXPECT_FALSE(controller.didPause());

    // Flagged without a pause, the way out must not pause what plays now.
    controller.setDidPause(true);
    MediaController::undoForTermination();
    EXPECT_EQ(player.calls(), (Calls{"Pause", "Play"}));
}

TEST_F(MediaControllerTest, WithoutASessionBusTheKeyIsLoggedAndHarmless) {
    testsupport::ScopedEnvironment environment;
    environment.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    platform::ScopedLogCapture capture;
    controller.sendPlayPauseKey();
    controller.sendPlayPauseKey();
    EXPECT_TRUE(capture.contains("MediaController: no session bus, media not paused"));
}

class VolumeTest : public MediaControllerTest {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.running(), server.failure());
        MediaControllerTest::SetUp();
    }

    float volume() {
        const auto value = controller.getSystemVolume();
        EXPECT_TRUE(value.has_value());
        return value.value_or(-1);
    }

    testsupport::PulseAudioTestServer server;
};

TEST_F(VolumeTest, SetsTheDefaultOutputClampedToTheUnitRange) {
    struct Case {
        float requested;
        float expected;
    };
    for (const Case& testCase : {Case{0.8f, 0.8f}, Case{1.5f, 1.0f}, Case{-0.2f, 0.0f}, Case{NAN, 0.0f},
                                 Case{0.25f, 0.25f}}) {
        controller.setSystemVolume(testCase.requested);
        EXPECT_NEAR(volume(), testCase.expected, 1e-3) << "requested " << testCase.requested;
    }
}

TEST_F(VolumeTest, DuckingIsRelativeAndRestoresTheVolumeBefore) {
    struct Case {
        float level;
        float ducked;
    };
    for (const Case& testCase : {Case{0.3f, 0.24f}, Case{1.0f, 0.8f}, Case{0.0f, 0.0f}}) {
        controller.setSystemVolume(0.8f);
        controller.duckVolume(testCase.level);
        EXPECT_NEAR(volume(), testCase.ducked, 1e-3) << "level " << testCase.level;
        ASSERT_TRUE(controller.savedVolume().has_value());
        controller.restoreVolume();
        EXPECT_NEAR(volume(), 0.8f, 1e-3) << "level " << testCase.level;
        EXPECT_FALSE(controller.savedVolume().has_value());
    }
}

TEST_F(VolumeTest, DuckingAgainBeforeARestoreKeepsTheOriginalVolume) {
    controller.setSystemVolume(0.8f);
    controller.duckVolume(0.5f);
    controller.duckVolume(0.5f);
    EXPECT_NEAR(volume(), 0.4f, 1e-3);
    controller.restoreVolume();
    EXPECT_NEAR(volume(), 0.8f, 1e-3);
}

TEST_F(VolumeTest, LogsTheDuckedAndRestoredVolumes) {
    controller.setSystemVolume(1.0f);
    platform::ScopedLogCapture capture;
    controller.duckVolume(0.5f);
    controller.restoreVolume();
    EXPECT_TRUE(capture.contains("MediaController: ducked volume 1.0 \u2192 0.5"));
    EXPECT_TRUE(capture.contains("MediaController: restored volume to 1.0"));
}

TEST_F(VolumeTest, TerminationRestoresTheSavedVolume) {
    controller.setSystemVolume(0.9f);
    controller.duckVolume(0.2f);
    EXPECT_NEAR(volume(), 0.18f, 1e-3);
    MediaController::undoForTermination();
    EXPECT_NEAR(volume(), 0.9f, 1e-3);
    EXPECT_FALSE(controller.savedVolume().has_value());
}

TEST(MediaControllerWithoutServer, UnreadableVolumeDucksNothingAndSavesNothing) {
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("PULSE_SERVER", "unix:" + (folder.path() / "absent").string());
    MediaController controller;
    controller.setSavedVolume(std::nullopt);
    EXPECT_FALSE(controller.getSystemVolume().has_value());
    controller.duckVolume(0.5f);
    EXPECT_FALSE(controller.savedVolume().has_value());
}

} // namespace
} // namespace ostrelvirorez
