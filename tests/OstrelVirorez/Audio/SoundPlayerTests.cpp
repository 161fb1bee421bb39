#include "OstrelVirorez/Audio/SoundPlayer.hpp"
#include "OstrelVirorez/Audio/SoundSynthesizer.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TestHost.hpp"

#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Audio/WavWriter.hpp"
#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

namespace ostrelvirorez {
namespace {

using testsupport::TemporaryDirectory;

std::string fileName(SoundEvent event) { return std::string(rawValue(event)) + ".wav"; }

TEST(SoundEvent, RawValuesNameTheResourcesAndNothingElseMakesAnEvent) {
    EXPECT_EQ(rawValue(SoundEvent::recordingStartClaude), "recording_start_claude");
    EXPECT_EQ(rawValue(SoundEvent::recordingStop), "recording_stop");
    EXPECT_EQ(rawValue(SoundEvent::done), "done_tick");
    EXPECT_EQ(rawValue(SoundEvent::error), "error_thud");
    for (const SoundEvent event : allSoundEvents) EXPECT_EQ(fromRawValue<SoundEvent>(rawValue(event)), event);
    for (const char* other : {"done", "error", "", "Done_Tick", "done_tick "}) {
        EXPECT_FALSE(fromRawValue<SoundEvent>(other).has_value()) << other;
    }
}

TEST(SoundSynthesizer, MakesFourShortAudibleFilesAndKeepsExistingOnes) {
    TemporaryDirectory folder;
    folder.write(fileName(SoundEvent::done), "kept as it is");
    SoundSynthesizer::writeMissingFiles(folder.path() / "Sounds");
    SoundSynthesizer::writeMissingFiles(folder.path());
    EXPECT_EQ(folder.read(fileName(SoundEvent::done)), "kept as it is");
    for (const SoundEvent event : allSoundEvents) {
        platform::audio::AudioFile file(folder.path() / "Sounds" / fileName(event));
        const double seconds = static_cast<double>(file.length()) / file.processingFormat().sampleRate();
        EXPECT_GT(seconds, 0.05) << rawValue(event);
        EXPECT_LT(seconds, 0.5) << rawValue(event);
        const auto samples = SoundSynthesizer::samples(event);
        float peak = 0;
        for (const float sample : samples) peak = std::max(peak, std::abs(sample));
        EXPECT_GT(peak, 0.1f) << rawValue(event);
        EXPECT_LE(peak, 1.0f) << rawValue(event);
    }
}

TEST(SoundPlayer, LogsEachMissingOrUnreadableFileOnceAtPreload) {
    TemporaryDirectory folder;
    SoundSynthesizer::writeMissingFiles(folder.path());
    std::filesystem::remove(folder.path() / fileName(SoundEvent::done));
    folder.write(fileName(SoundEvent::error), "not a sound");

    platform::ScopedLogCapture capture;
    SoundPlayer player(folder.path());
    player.preload();
    const auto messages = capture.sink().messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Sound file not found: done_tick.wav \u2014 using system fallback");
    EXPECT_TRUE(messages[1].starts_with("Sound preload failed for error_thud: ")) << messages[1];
}

TEST(SoundPlayer, EveryEventHasASystemFallback) {
    std::set<std::string> names;
    for (const SoundEvent event : allSoundEvents) names.insert(SoundPlayer::fallbackEventName(event));
    EXPECT_EQ(names.size(), allSoundEvents.size());
    EXPECT_EQ(SoundPlayer::fallbackEventName(SoundEvent::error), "bell");
}

class SoundPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.running(), server.failure());
    }

    // Sink inputs on the test server, one line each.
    std::vector<std::string> sinkInputs(const std::string& verbosity = "short") {
        std::vector<std::string> lines;
        std::istringstream text(server.pactl("list " + verbosity + " sink-inputs").value_or(""));
        for (std::string line; std::getline(text, line);) {
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }

    // The server offers no event for this, so its state is polled, with a generous limit.
    bool eventually(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    testsupport::PulseAudioTestServer server;
};

TEST_F(SoundPlaybackTest, PlayingAgainRestartsTheSoundInsteadOfOverlapping) {
    TemporaryDirectory folder;
    // Long enough to be still playing when it is played again.
    const std::vector<float> tone(44100 * 10, 0.1f);
    platform::audio::WavWriter::write(folder.path() / fileName(SoundEvent::recordingStop), tone, 44100, 1);
    SoundPlayer player(folder.path());
    player.preload();

    player.play(SoundEvent::recordingStop);
    ASSERT_TRUE(eventually([&] { return sinkInputs().size() == 1; }));
    const std::string first = sinkInputs().front();
    player.play(SoundEvent::recordingStop);
    ASSERT_TRUE(eventually([&] {
        const auto inputs = sinkInputs();
        return inputs.size() == 1 && inputs.front() != first;
    }));
}

TEST_F(SoundPlaybackTest, ShortSoundPlaysOutAndReleasesTheOutput) {
    TemporaryDirectory folder;
    SoundSynthesizer::writeMissingFiles(folder.path());
    SoundPlayer player(folder.path());
    player.preload();
    player.play(SoundEvent::done);
    ASSERT_TRUE(eventually([&] { return sinkInputs().size() == 1; }));
    EXPECT_TRUE(eventually([&] { return sinkInputs().empty(); }));
}

TEST(SoundPlayerWithoutServer, PlayingReturnsAtOnceWithFilesOrFallbacks) {
    TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("PULSE_SERVER", "unix:" + (folder.path() / "absent").string());
    SoundSynthesizer::writeMissingFiles(folder.path());
    std::filesystem::remove(folder.path() / fileName(SoundEvent::error));
    SoundPlayer player(folder.path());
    player.preload();
    for (const SoundEvent event : allSoundEvents) EXPECT_NO_THROW(player.play(event)) << rawValue(event);
}

} // namespace
} // namespace ostrelvirorez
