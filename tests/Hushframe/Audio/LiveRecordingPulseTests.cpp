#include "Hushframe/Audio/AudioProcessor.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/TestHost.hpp"

#include "Platform/Audio/CaptureError.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>

namespace hushframe {
namespace {

using testsupport::PulseAudioTestServer;

// Interleaved 48 kHz stereo frames of a sine on both channels.
std::vector<float> stereoSine(std::uint32_t frames, float amplitude) {
    std::vector<float> samples(std::size_t{frames} * 2);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        samples[2 * frame] = samples[2 * frame + 1] =
            amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * 440 * frame / 48000.0));
    }
    return samples;
}

float rms(std::span<const float> samples) {
    double sum = 0;
    for (const float sample : samples) sum += double{sample} * sample;
    return static_cast<float>(std::sqrt(sum / static_cast<double>(samples.size())));
}

// The server's index of a source, from pactl's short list.
std::optional<std::uint32_t> sourceIndex(const PulseAudioTestServer& server, const std::string& name) {
    const auto list = server.pactl("list short sources");
    if (!list) return std::nullopt;
    const auto at = list->find("\t" + name + "\t");
    if (at == std::string::npos) return std::nullopt;
    const auto lineStart = list->rfind('\n', at);
    return static_cast<std::uint32_t>(std::stoul(list->substr(lineStart == std::string::npos ? 0 : lineStart + 1)));
}

class LiveRecordingPulseTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_TEST_HOST(server.running(), server.failure()); }

    PulseAudioTestServer server;
};

TEST_F(LiveRecordingPulseTest, RecordsTheMicrophoneAsSixteenKilohertzMono) {
    AudioProcessor processor;
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t received = 0;
    processor.startRecordingLive(std::nullopt, [&](const std::vector<float>& samples) {
        std::lock_guard guard(mutex);
        received += samples.size();
        changed.notify_all();
    });
    ASSERT_TRUE(server.feedMicrophone(stereoSine(48000, 0.5F)));
    {
        std::unique_lock guard(mutex);
        ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(20), [&] { return received >= 14000; }))
            << "the fed audio never arrived";
    }
    processor.stopRecording();

    const auto samples = processor.audioSamples();
    EXPECT_LE(samples.size(), 16000u + 1600u);
    // The sine, found after the silence the stream may start with.
    const auto start = std::find_if(samples.begin(), samples.end(), [](float sample) { return std::abs(sample) > 0.1F; });
    ASSERT_GT(samples.end() - start, 12000);
    EXPECT_NEAR(rms(std::span<const float>(&*start + 1000, 8000)), 0.5F / std::numbers::sqrt2_v<float>, 0.01F);
}

TEST_F(LiveRecordingPulseTest, ListsTheMicrophoneButNoOutputMonitor) {
    const auto index = sourceIndex(server, "testmic");
    ASSERT_TRUE(index.has_value());

    const auto devices = AudioProcessor::getAudioDevices();

    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].id, *index);
    EXPECT_FALSE(devices[0].name.empty());
}

TEST(LiveRecordingWithoutServer, StartFailsAndTheDeviceListIsEmpty) {
    testing::PackageLogCapture log;
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("PULSE_SERVER", "unix:" + (folder.path() / "absent").string());
    AudioProcessor processor;

    EXPECT_THROW(processor.startRecordingLive(), platform::audio::CaptureError);
    EXPECT_EQ(processor.audioEngine(), nullptr);
    EXPECT_TRUE(AudioProcessor::getAudioDevices().empty());
    EXPECT_THAT(log.messages(), ::testing::Contains("Error: Unable to get the number of audio devices."));
}

} // namespace
} // namespace hushframe
