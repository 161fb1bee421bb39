#include "Hushframe/Audio/AudioEnergy.hpp"
#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/Audio/AudioConverter.hpp"
#include "tests/Hushframe/Audio/VirtualMicrophone.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace hushframe {
namespace {

using platform::audio::AudioFormat;
using platform::audio::CaptureError;
using platform::audio::PCMBuffer;
using testing::VirtualMicrophone;
using ::testing::ElementsAre;

std::vector<float> constant(std::size_t count, float value) { return std::vector<float>(count, value); }

std::vector<float> sine(std::size_t count, double rate, double frequency, float amplitude, std::size_t offset = 0) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * double(i + offset) / rate));
    }
    return samples;
}

std::vector<float> concatenated(const std::vector<std::vector<float>>& parts) {
    std::vector<float> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(LiveRecording, RecordsEachBufferWithItsEnergyAndHandsItToTheCallback) {
    VirtualMicrophone microphone;
    AudioProcessor processor(microphone.factory());
    std::vector<std::vector<float>> received;
    processor.startRecordingLive(std::nullopt, [&](const std::vector<float>& samples) { received.push_back(samples); });

    const auto quiet = constant(1600, 0.01F);
    const auto loud = constant(1600, 0.5F);
    microphone.speak(quiet);
    microphone.speak(loud);

    EXPECT_EQ(microphone.tapSizes(), std::vector<std::uint32_t>{1600});
    EXPECT_EQ(processor.audioSamples(), concatenated({quiet, loud}));
    EXPECT_THAT(received, ElementsAre(quiet, loud));
    const auto energy = processor.audioEnergy();
    ASSERT_EQ(energy.size(), 2u);
    // The first buffer has nothing to compare with.
    EXPECT_EQ(energy[0], (AudioProcessor::EnergyRecord{0, 0.01F, 0.01F, 0.01F}));
    EXPECT_FLOAT_EQ(energy[1].rel, AudioEnergy::calculateRelativeEnergy(loud, 0.01F));
    EXPECT_GT(energy[1].rel, 0);
    EXPECT_THAT(processor.relativeEnergy(), ElementsAre(0, energy[1].rel));
}

TEST(LiveRecording, TheReferenceIsTheQuietestOfTheLastTwentyBuffers) {
    AudioProcessor processor(VirtualMicrophone().factory());
    processor.processBuffer(constant(100, 0.001F)); // drops out of reach after 20 more
    for (int i = 0; i < 19; ++i) processor.processBuffer(constant(100, 0.1F));
    processor.processBuffer(constant(100, 0.05F));
    processor.processBuffer(constant(100, 0.5F));

    const auto rel = processor.relativeEnergy();
    ASSERT_EQ(rel.size(), 22u);
    EXPECT_FLOAT_EQ(rel[20], AudioEnergy::calculateRelativeEnergy(constant(100, 0.05F), 0.001F));
    EXPECT_FLOAT_EQ(rel[21], AudioEnergy::calculateRelativeEnergy(constant(100, 0.5F), 0.05F));
}

TEST(LiveRecording, SuppressedInputIsRecordedAsSilence) {
    VirtualMicrophone microphone;
    AudioProcessor processor(microphone.factory());
    std::vector<float> received;
    processor.startRecordingLive(std::nullopt, [&](const std::vector<float>& samples) {
        received.insert(received.end(), samples.begin(), samples.end());
    });
    microphone.speak(constant(800, 0.3F));
    processor.setInputSuppressed(true);
    microphone.speak(constant(800, 0.3F));

    EXPECT_EQ(processor.audioSamples(), concatenated({constant(800, 0.3F), constant(800, 0)}));
    EXPECT_EQ(received, processor.audioSamples());
}

TEST(LiveRecording, TheSizeLineIsLoggedAtExactMultiplesOfTheBufferTimesTheWindow) {
    testing::PackageLogCapture log;
    AudioProcessor processor(VirtualMicrophone().factory());
    const auto sizeLines = [&] {
        std::vector<std::string> lines;
        for (const auto& line : log.messages()) {
            if (line.starts_with("Current audio size: ")) lines.push_back(line.substr(0, line.find(" samples")));
        }
        return lines;
    };

    for (int i = 0; i < 20; ++i) processor.processBuffer(constant(1600, 0.1F));
    EXPECT_THAT(sizeLines(), ElementsAre("Current audio size: 32000"));
    // Up to 63000 in steps of 1000, then a step over 64000 to 64500.
    for (int i = 0; i < 31; ++i) processor.processBuffer(constant(1000, 0.1F));
    processor.processBuffer(constant(1500, 0.1F));
    EXPECT_EQ(sizeLines().size(), 1u);
    processor.setRelativeEnergyWindow(1);
    processor.processBuffer(constant(1100, 0.1F)); // 65600 = 41 × 1600
    EXPECT_THAT(sizeLines(), ElementsAre("Current audio size: 32000", "Current audio size: 65600"));
}

TEST(LiveRecording, PurgeKeepsOnlyTheNewestSamples) {
    struct Case {
        const char* name;
        std::size_t recorded;
        std::int64_t keepingLast;
        std::size_t kept;
    };
    for (const Case& c : {Case{"longer than kept", 40000, 16000, 16000}, Case{"shorter than kept", 10000, 16000, 10000},
                          Case{"keep none", 5000, 0, 0}, Case{"negative count", 5000, -1, 5000}}) {
        SCOPED_TRACE(c.name);
        AudioProcessor processor(VirtualMicrophone().factory());
        std::vector<float> recorded(c.recorded);
        for (std::size_t i = 0; i < recorded.size(); ++i) recorded[i] = static_cast<float>(i);
        processor.processBuffer(recorded);

        processor.purgeAudioSamples(c.keepingLast);

        EXPECT_EQ(processor.audioSamples(), std::vector<float>(recorded.end() - static_cast<std::ptrdiff_t>(c.kept),
                                                               recorded.end()));
        EXPECT_EQ(processor.audioEnergy().size(), 1u);
    }
}

TEST(LiveRecording, AMicrophoneAtAnotherRateIsConvertedThroughOneConverterWithoutRepeats) {
    VirtualMicrophone microphone(*AudioFormat::standard(48000, 2));
    AudioProcessor processor(microphone.factory());
    processor.startRecordingLive();
    std::vector<float> spoken;
    for (std::size_t block = 0; block < 30; ++block) {
        const auto samples = sine(1600, 48000, 440, 0.5F, block * 1600);
        microphone.speak(samples);
        spoken.insert(spoken.end(), samples.begin(), samples.end());
    }

    // The whole stream converted at once; the recording holds all of it but
    // the resampler's tail, which stays inside the converter while recording goes on.
    auto whole = *PCMBuffer::make(*AudioFormat::standard(48000, 1), static_cast<std::uint32_t>(spoken.size()));
    whole.setFrameLength(static_cast<std::uint32_t>(spoken.size()));
    std::copy(spoken.begin(), spoken.end(), whole.floatChannelData(0));
    const auto converted = platform::audio::AudioConverter::convertAll(whole, AudioFormat::standard());
    const auto reference = converted.floatChannel(0);
    const auto recorded = processor.audioSamples();
    ASSERT_LE(recorded.size(), reference.size());
    ASSERT_GE(recorded.size() + 1200, reference.size()) << "more than the resampler's delay is missing";
    for (std::size_t i = 0; i < recorded.size(); ++i) ASSERT_NEAR(recorded[i], reference[i], 1e-5) << "sample " << i;
    EXPECT_EQ(processor.audioEnergy().size(), 30u);
}

TEST(LiveRecording, StartingPausingResumingAndStoppingDriveOneEngineAtATime) {
    VirtualMicrophone microphone;
    AudioProcessor processor(microphone.factory());
    const auto events = [&] { return std::exchange(microphone.events, {}); };

    processor.startRecordingLive();
    EXPECT_THAT(events(), ElementsAre("make 1", "start 1"));
    microphone.speak(constant(100, 0.1F));

    // A second start stops the running engine before the new one takes over.
    processor.startRecordingLive();
    EXPECT_THAT(events(), ElementsAre("removeTap 1", "stop 1", "destroy 1", "make 2", "start 2"));
    EXPECT_TRUE(processor.audioSamples().empty());
    microphone.speak(constant(100, 0.2F));

    processor.pauseRecording();
    microphone.speak(constant(100, 0.9F)); // not heard while paused
    processor.resumeRecordingLive();
    EXPECT_THAT(events(), ElementsAre("stop 2", "start 2"));
    microphone.speak(constant(100, 0.3F));
    EXPECT_EQ(processor.audioSamples(), concatenated({constant(100, 0.2F), constant(100, 0.3F)}));

    // Another device: the running engine is stopped and a new one set up there.
    processor.resumeRecordingLive(7);
    EXPECT_THAT(events(), ElementsAre("removeTap 2", "stop 2", "destroy 2", "make 3", "device 3 7", "start 3"));
    processor.resumeRecordingLive(7);
    EXPECT_THAT(events(), ElementsAre("start 3"));
    EXPECT_EQ(processor.audioSamples().size(), 200u);

    processor.stopRecording();
    EXPECT_THAT(events(), ElementsAre("removeTap 3", "stop 3", "destroy 3"));
    EXPECT_EQ(processor.audioEngine(), nullptr);
    processor.resumeRecordingLive(7); // nothing left to restart
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(processor.audioSamples().size(), 200u);
}

TEST(LiveRecording, ResumingKeepsTheCallbackUnlessGivenANewOne) {
    VirtualMicrophone microphone;
    AudioProcessor processor(microphone.factory());
    int first = 0;
    int second = 0;
    processor.startRecordingLive(std::nullopt, [&](const std::vector<float>&) { ++first; });
    processor.pauseRecording();
    processor.resumeRecordingLive();
    microphone.speak(constant(10, 0.1F));
    processor.resumeRecordingLive(std::nullopt, [&](const std::vector<float>&) { ++second; });
    microphone.speak(constant(10, 0.1F));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

TEST(LiveRecording, AnEngineThatDoesNotStartLeavesNoEngineAndEmptyLists) {
    VirtualMicrophone microphone;
    AudioProcessor processor(microphone.factory());
    processor.processBuffer(constant(10, 0.1F));
    microphone.startError = "no input";

    EXPECT_THROW(processor.startRecordingLive(), CaptureError);

    EXPECT_EQ(processor.audioEngine(), nullptr);
    EXPECT_TRUE(processor.audioSamples().empty());
    EXPECT_TRUE(processor.audioEnergy().empty());
    EXPECT_THAT(microphone.events, ElementsAre("make 1", "start 1", "destroy 1"));
}

TEST(LiveRecording, AStreamCarriesTheBuffersAndEndingItStopsTheRecording) {
    VirtualMicrophone microphone;
    AudioProcessor processor(microphone.factory());
    auto [stream, continuation] = processor.startStreamingRecordingLive();
    microphone.speak(constant(10, 0.1F));
    microphone.speak(constant(20, 0.2F));

    EXPECT_EQ(stream.next(), constant(10, 0.1F));
    EXPECT_EQ(stream.next(), constant(20, 0.2F));
    microphone.events.clear();
    stream.cancel();

    EXPECT_THAT(microphone.events, ElementsAre("removeTap 1", "stop 1", "destroy 1"));
    EXPECT_FALSE(processor.audioBufferCallback());
    EXPECT_EQ(stream.next(), std::nullopt);
    EXPECT_EQ(processor.audioSamples().size(), 30u);
}

TEST(LiveRecording, AStreamWhoseStartFailsThrowsOnItsFirstRead) {
    VirtualMicrophone microphone;
    microphone.startError = "the server went away";
    AudioProcessor processor(microphone.factory());
    auto [stream, continuation] = processor.startStreamingRecordingLive();
    try {
        stream.next();
        FAIL() << "the failed start went unnoticed";
    } catch (const CaptureError& error) {
        EXPECT_EQ(error.description(), "the server went away");
    }
    EXPECT_EQ(stream.next(), std::nullopt);
}

TEST(LiveRecording, AStreamEndedByTheProducerDeliversWhatCameFirst) {
    auto [stream, continuation] = AudioSampleStream::make();
    bool terminated = false;
    stream.setOnTermination([&] { terminated = true; });
    continuation.yield({1, 2});
    continuation.finish();
    continuation.yield({3}); // after the end: dropped

    EXPECT_TRUE(terminated);
    EXPECT_EQ(stream.next(), (std::vector<float>{1, 2}));
    EXPECT_EQ(stream.next(), std::nullopt);
}

TEST(LiveRecording, AWaveformImageIsTheSamplesOwnBytes) {
    const std::vector<float> samples{0.25F, -1.0F, 0.5F, 2.0F, 9.0F};
    const auto image = AudioProcessor::createWaveformImage(samples, 2.9, 2.0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->bytesPerRow, 8);
    ASSERT_EQ(image->pixels.size(), 16u);
    EXPECT_EQ(std::memcmp(image->pixels.data(), samples.data(), 16), 0);

    EXPECT_FALSE(AudioProcessor::createWaveformImage(samples, 3, 2)); // six pixels, five samples
    EXPECT_FALSE(AudioProcessor::createWaveformImage(samples, std::nan(""), 1));
    EXPECT_FALSE(AudioProcessor::createWaveformImage(samples, 0, 1));
}

} // namespace
} // namespace hushframe
