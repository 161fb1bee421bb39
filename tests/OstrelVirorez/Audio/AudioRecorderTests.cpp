#include "OstrelVirorez/Audio/AudioRecorder.hpp"
#include "OstrelVirorez/Audio/RecorderError.hpp"
#include "tests/OstrelVirorez/Audio/FakeCaptureEngine.hpp"

#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace ostrelvirorez {
namespace {

using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;
using testing::FakeCaptureEngine;

const AudioFormat deviceFormat = *AudioFormat::standard(48000, 2);

// One block in the device format whose samples are sample(frame from the start of the recording, channel).
PCMBuffer block(std::uint32_t firstFrame, const std::function<float(std::uint32_t, std::uint32_t)>& sample,
                std::uint32_t frames = 1024, const AudioFormat& format = deviceFormat) {
    auto buffer = PCMBuffer::make(format, frames);
    for (std::uint32_t channel = 0; channel < format.channelCount(); ++channel) {
        for (std::uint32_t frame = 0; frame < frames; ++frame) {
            buffer->floatChannelData(channel)[frame] = sample(firstFrame + frame, channel);
        }
    }
    buffer->setFrameLength(frames);
    return std::move(*buffer);
}

float sine(std::uint32_t frame, double frequency, float amplitude) {
    return amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * frame / 48000.0));
}

class AudioRecorderTest : public ::testing::Test {
protected:
    AudioRecorderTest() {
        auto owned = std::make_unique<FakeCaptureEngine>(deviceFormat);
        engine = owned.get();
        recorder = std::make_unique<AudioRecorder>(std::move(owned), clock);
        recorder->setOnLevelUpdate([this](float level) { levels.push_back(level); });
    }

    void deliverSine(std::uint32_t blocks, float amplitude = 0.5f) {
        for (std::uint32_t index = 0; index < blocks; ++index) {
            engine->deliver(block(delivered, [&](std::uint32_t frame, std::uint32_t channel) {
                return channel == 0 ? sine(frame, 440, amplitude) : sine(frame, 440, amplitude) * 0.5f;
            }));
            delivered += 1024;
        }
    }

    platform::ManualClock clock;
    FakeCaptureEngine* engine = nullptr;
    std::unique_ptr<AudioRecorder> recorder;
    std::vector<float> levels;
    std::uint32_t delivered = 0;
};

TEST_F(AudioRecorderTest, StartInstallsTheTapInTheDeviceFormatAndStopHandsOverEveryConvertedFrame) {
    recorder->startRecording();
    EXPECT_TRUE(engine->hasTap());
    EXPECT_EQ(engine->tapBufferSize(), 1024u);
    deliverSine(30);

    const auto recording = recorder->stopRecording();
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(recording->format(), AudioFormat::standard());
    EXPECT_FALSE(engine->hasTap());
    EXPECT_EQ(engine->calls.stop, 1);

    // Streaming block by block, then draining at stop, must give what one
    // conversion of the whole capture gives: nothing held back in the resampler.
    const PCMBuffer whole = block(0, [](std::uint32_t frame, std::uint32_t channel) {
        return channel == 0 ? sine(frame, 440, 0.5f) : sine(frame, 440, 0.5f) * 0.5f;
    }, delivered);
    const PCMBuffer expected = platform::audio::AudioConverter::convertAll(whole, AudioFormat::standard());
    ASSERT_EQ(recording->frameLength(), expected.frameLength());
    const auto got = recording->floatChannel(0);
    const auto want = expected.floatChannel(0);
    for (std::size_t index = 0; index < got.size(); ++index) {
        ASSERT_NEAR(got[index], want[index], 1e-4) << "at frame " << index;
    }
}

TEST_F(AudioRecorderTest, SecondStartWhileRecordingKeepsTheRunningRecording) {
    recorder->startRecording();
    deliverSine(10);
    const auto before = recorder->snapshotBuffer();
    ASSERT_TRUE(before.has_value());

    EXPECT_NO_THROW(recorder->startRecording());
    EXPECT_EQ(engine->calls.start, 1);
    EXPECT_EQ(engine->calls.installTap, 1);
    const auto after = recorder->snapshotBuffer();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->frameLength(), before->frameLength());
}

TEST_F(AudioRecorderTest, TheSystemDefaultDeviceReplacesAnEarlierMicrophone) {
    EXPECT_EQ(engine->inputDevice(), "");
    recorder->setInputDevice(7);
    EXPECT_EQ(engine->inputDevice(), "7");
    recorder->setInputDevice(0);
    EXPECT_EQ(engine->inputDevice(), "");
}

TEST_F(AudioRecorderTest, StopWithoutRecordingReturnsNothingAndLeavesTheEngineAlone) {
    EXPECT_FALSE(recorder->stopRecording().has_value());
    EXPECT_EQ(engine->calls.removeTap, 0);
    EXPECT_EQ(engine->calls.stop, 0);
}

TEST_F(AudioRecorderTest, RecordingStoppedBeforeTheFirstBlockReturnsNothing) {
    recorder->startRecording();
    EXPECT_FALSE(recorder->snapshotBuffer().has_value());
    EXPECT_FALSE(recorder->stopRecording().has_value());
}

TEST_F(AudioRecorderTest, SnapshotIsTakenOnlyWhileRecordingAndANewStartBeginsEmpty) {
    recorder->startRecording();
    deliverSine(6);
    const auto snapshot = recorder->snapshotBuffer();
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_GT(snapshot->frameLength(), 0u);
    ASSERT_TRUE(recorder->stopRecording().has_value());
    EXPECT_FALSE(recorder->snapshotBuffer().has_value());

    recorder->startRecording();
    EXPECT_FALSE(recorder->snapshotBuffer().has_value());
    EXPECT_FALSE(recorder->stopRecording().has_value());
}

TEST_F(AudioRecorderTest, EngineThatCannotStartLeavesNoTapPassesItsErrorOnAndAllowsALaterStart) {
    engine->startError = "capture refused";
    try {
        recorder->startRecording();
        FAIL() << "start should have thrown";
    } catch (const AudioEngineError& error) {
        EXPECT_EQ(error.description(), "capture refused");
    }
    EXPECT_FALSE(engine->hasTap());
    EXPECT_FALSE(recorder->snapshotBuffer().has_value());
    EXPECT_FALSE(recorder->stopRecording().has_value());

    engine->startError.reset();
    recorder->startRecording();
    deliverSine(4);
    EXPECT_TRUE(recorder->stopRecording().has_value());
}

TEST_F(AudioRecorderTest, LevelMapsSignalPowerFromMinusFiftyToZeroDecibels) {
    struct Case {
        const char* name;
        std::function<float(std::uint32_t)> sample;
        float expected;
    };
    const std::vector<Case> cases{
        {"silence", [](std::uint32_t) { return 0.0f; }, 0.0f},
        {"full-scale sine", [](std::uint32_t frame) { return sine(frame, 375, 1.0f); }, 0.9398f},
        {"-50 dB", [](std::uint32_t) { return std::sqrt(1e-5f); }, 0.0f},
        {"below -50 dB", [](std::uint32_t) { return 1e-4f; }, 0.0f},
        {"0 dB", [](std::uint32_t) { return 1.0f; }, 1.0f},
        {"above 0 dB", [](std::uint32_t) { return 2.0f; }, 1.0f},
        {"not a number", [](std::uint32_t) { return std::nanf(""); }, 0.0f},
    };
    recorder->startRecording();
    for (const Case& testCase : cases) {
        levels.clear();
        clock.advance(std::chrono::milliseconds(40));
        // Only the first channel counts; the second is loud throughout.
        engine->deliver(block(0, [&](std::uint32_t frame, std::uint32_t channel) {
            return channel == 0 ? testCase.sample(frame) : 1.0f;
        }));
        ASSERT_EQ(levels.size(), 1u) << testCase.name;
        EXPECT_NEAR(levels[0], testCase.expected, 1e-3) << testCase.name;
    }
}

TEST_F(AudioRecorderTest, LevelIsReportedAtMostThirtyTimesASecond) {
    recorder->startRecording();
    deliverSine(3); // all at the same instant
    EXPECT_EQ(levels.size(), 1u);
    clock.advance(std::chrono::milliseconds(20));
    deliverSine(1);
    EXPECT_EQ(levels.size(), 1u);
    clock.advance(std::chrono::milliseconds(14));
    deliverSine(1);
    EXPECT_EQ(levels.size(), 2u);
}

TEST_F(AudioRecorderTest, LogsTheLeadInOfTheFirstBlockOnce) {
    platform::ScopedLogCapture capture;
    recorder->startRecording();
    clock.advance(std::chrono::microseconds(120900));
    deliverSine(2);
    EXPECT_TRUE(capture.contains("AudioRecorder: first buffer after 120 ms lead-in"));
    EXPECT_EQ(capture.sink().records().size(), 1u);
}

TEST_F(AudioRecorderTest, BlockThatCannotBeConvertedIsLoggedAndTheRecordingGoesOn) {
    platform::ScopedLogCapture capture;
    recorder->startRecording();
    deliverSine(4);
    const auto before = recorder->snapshotBuffer();
    engine->deliver(block(0, [](std::uint32_t, std::uint32_t) { return 0.1f; }, 1024, *AudioFormat::standard(48000, 1)));
    EXPECT_TRUE(capture.contains("AudioRecorder: dropped a captured block that could not be converted"));
    deliverSine(4);
    const auto recording = recorder->stopRecording();
    ASSERT_TRUE(recording.has_value());
    EXPECT_GT(recording->frameLength(), before->frameLength());
}

} // namespace
} // namespace ostrelvirorez
