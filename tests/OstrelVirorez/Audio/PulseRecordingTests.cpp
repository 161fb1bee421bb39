#include "OstrelVirorez/Audio/AudioEngineError.hpp"
#include "OstrelVirorez/Audio/AudioRecorder.hpp"
#include "OstrelVirorez/Audio/PulseCaptureEngine.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/TestHost.hpp"

#include "Platform/Concurrency/SystemClock.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>

namespace ostrelvirorez {
namespace {

using platform::audio::PCMBuffer;
using testsupport::PulseAudioTestServer;

// The sound server's engine, reporting every block it hands to the recorder
// so the test can wait for the audio it fed.
class ObservedEngine final : public AudioCaptureEngine {
public:
    void setInputDevice(const std::string& device) override { engine_.setInputDevice(device); }
    std::string inputDevice() const override { return engine_.inputDevice(); }
    platform::audio::AudioFormat inputFormat() override { return engine_.inputFormat(); }
    void installTap(std::uint32_t size, const platform::audio::AudioFormat& format, TapBlock block) override {
        engine_.installTap(size, format, [this, block](const PCMBuffer& buffer) {
            block(buffer);
            std::lock_guard guard(mutex_);
            frames_ += buffer.frameLength();
            blockSizes_.push_back(buffer.frameLength());
            changed_.notify_all();
        });
    }
    void removeTap() override { engine_.removeTap(); }
    void start() override {
        {
            std::lock_guard guard(mutex_);
            frames_ = 0;
            blockSizes_.clear();
        }
        engine_.start();
    }
    void stop() override { engine_.stop(); }

    bool waitForFrames(std::uint64_t frames) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return frames_ >= frames; });
    }
    std::vector<std::uint32_t> blockSizes() const {
        std::lock_guard guard(mutex_);
        return blockSizes_;
    }

private:
    PulseCaptureEngine engine_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t frames_ = 0;
    std::vector<std::uint32_t> blockSizes_;
};

// Interleaved stereo frames of a sine on both channels.
std::vector<float> stereoSine(std::uint32_t frames, double frequency, float amplitude) {
    std::vector<float> samples(std::size_t{frames} * 2);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const auto value = amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * frame / 48000.0));
        samples[2 * frame] = samples[2 * frame + 1] = value;
    }
    return samples;
}

float rms(std::span<const float> samples) {
    double sum = 0;
    for (const float sample : samples) sum += double{sample} * sample;
    return static_cast<float>(std::sqrt(sum / static_cast<double>(samples.size())));
}

class PulseRecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.running(), server.failure());
        auto owned = std::make_unique<ObservedEngine>();
        engine = owned.get();
        recorder = std::make_unique<AudioRecorder>(std::move(owned), platform::SystemClock::shared());
    }

    // Records `frames` frames fed into the given pipe and returns the recording.
    std::optional<PCMBuffer> record(std::span<const float> interleaved, const std::string& pipe = "mic.fifo") {
        recorder->startRecording();
        EXPECT_TRUE(server.feedMicrophone(interleaved, pipe));
        EXPECT_TRUE(engine->waitForFrames(interleaved.size() / 2)) << "the fed audio never arrived";
        return recorder->stopRecording();
    }

    PulseAudioTestServer server;
    ObservedEngine* engine = nullptr;
    std::unique_ptr<AudioRecorder> recorder;
};

TEST_F(PulseRecordingTest, RecordsTheDefaultMicrophoneAsSixteenKilohertzMonoWithALevel) {
    std::mutex levelMutex;
    std::vector<float> levels;
    recorder->setOnLevelUpdate([&](float level) {
        std::lock_guard guard(levelMutex);
        levels.push_back(level);
    });
    const std::uint32_t frames = 48 * 1024;
    const auto recording = record(stereoSine(frames, 440, 0.5f));

    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(recording->format(), platform::audio::AudioFormat::standard());
    EXPECT_NEAR(recording->frameLength(), frames / 3.0, 2.0);
    const auto samples = recording->floatChannel(0);
    EXPECT_NEAR(rms(samples.subspan(1000, 14000)), 0.5f / std::numbers::sqrt2_v<float>, 0.01f);
    const auto sizes = engine->blockSizes();
    for (const std::uint32_t size : sizes) ASSERT_EQ(size, 1024u);
    std::lock_guard guard(levelMutex);
    ASSERT_FALSE(levels.empty());
    EXPECT_NEAR(levels.front(), (10 * std::log10(0.125f) + 50) / 50, 0.05f);
}

TEST_F(PulseRecordingTest, FollowsTheChosenInputAndReturnsToTheSystemDefault) {
    const std::string pipe = (server.folder().path() / "other.fifo").string();
    ASSERT_TRUE(server.pactl("load-module module-pipe-source source_name=othermic file=" + pipe +
                             " format=float32le rate=48000 channels=2"));
    const auto loud = stereoSine(8 * 1024, 440, 0.8f);
    const auto quiet = stereoSine(8 * 1024, 440, 0.1f);

    const auto index = server.pactl("list short sources");
    ASSERT_TRUE(index.has_value());
    const auto line = index->find("othermic");
    ASSERT_NE(line, std::string::npos);
    const auto start = index->rfind('\n', line);
    const auto sourceIndex = std::stoul(index->substr(start == std::string::npos ? 0 : start + 1));
    recorder->setInputDevice(static_cast<std::uint32_t>(sourceIndex));
    const auto fromOther = record(loud, "other.fifo");
    ASSERT_TRUE(fromOther.has_value());
    EXPECT_NEAR(rms(fromOther->floatChannel(0).subspan(500, 2000)), 0.8f / std::numbers::sqrt2_v<float>, 0.02f);

    recorder->setInputDevice(0);
    const auto fromDefault = record(quiet, "mic.fifo");
    ASSERT_TRUE(fromDefault.has_value());
    EXPECT_NEAR(rms(fromDefault->floatChannel(0).subspan(500, 2000)), 0.1f / std::numbers::sqrt2_v<float>, 0.01f);
}

TEST_F(PulseRecordingTest, InputThatIsGoneFallsBackToTheSystemDefault) {
    recorder->setInputDevice(4000);
    const auto recording = record(stereoSine(8 * 1024, 440, 0.5f));
    ASSERT_TRUE(recording.has_value());
    EXPECT_NEAR(rms(recording->floatChannel(0).subspan(500, 2000)), 0.5f / std::numbers::sqrt2_v<float>, 0.01f);
}

TEST(PulseRecordingWithoutServer, StartThrowsWhenNoSoundServerAnswers) {
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("PULSE_SERVER", "unix:" + (folder.path() / "absent").string());
    AudioRecorder recorder;
    EXPECT_THROW(recorder.startRecording(), AudioEngineError);
    EXPECT_FALSE(recorder.stopRecording().has_value());
}

} // namespace
} // namespace ostrelvirorez
