#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/Audio/WavWriter.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace hushframe {
namespace {

using platform::audio::AudioFile;
using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;
using platform::audio::WavWriter;
using ::testing::Contains;
using ::testing::HasSubstr;
using ChannelMode = AudioInputConfig::ChannelMode;

// Interleaved frames of sine waves, one frequency and amplitude per channel.
std::vector<float> sines(double rate, double seconds, const std::vector<std::pair<double, float>>& channels) {
    const auto frames = static_cast<std::size_t>(rate * seconds);
    std::vector<float> samples;
    samples.reserve(frames * channels.size());
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (const auto& [frequency, amplitude] : channels) {
            samples.push_back(amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * frame / rate)));
        }
    }
    return samples;
}

// Every sample distinct enough to show a gap or a repeat: a ramp over the 16-bit range.
std::vector<float> ramp(std::size_t count) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) samples[i] = static_cast<float>(static_cast<int>(i % 60000) - 30000) / 32768.0F;
    return samples;
}

float peak(std::span<const float> samples) {
    float result = 0;
    for (const float sample : samples) result = std::max(result, std::abs(sample));
    return result;
}

// A float32 buffer of `channels` non-interleaved channels, channel c holding `values[c]`.
PCMBuffer bufferOf(double rate, const std::vector<std::vector<float>>& values) {
    auto buffer = *PCMBuffer::make(*AudioFormat::standard(rate, static_cast<std::uint32_t>(values.size())),
                                   static_cast<std::uint32_t>(values[0].size()));
    buffer.setFrameLength(static_cast<std::uint32_t>(values[0].size()));
    for (std::uint32_t channel = 0; channel < values.size(); ++channel) {
        std::copy(values[channel].begin(), values[channel].end(), buffer.floatChannelData(channel));
    }
    return buffer;
}

std::vector<float> firstChannel(const PCMBuffer& buffer) {
    const auto channel = buffer.floatChannel(0);
    return {channel.begin(), channel.end()};
}

class AudioProcessorTests : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory temp;

    std::string wav(const std::string& name, const std::vector<float>& interleaved, double rate,
                    std::uint32_t channels) const {
        const auto path = temp / name;
        WavWriter::write(path, interleaved, rate, channels);
        return path.string();
    }
};

TEST_F(AudioProcessorTests, SixteenKilohertzMonoIsReadAsItIsBetweenTheTimes) {
    const auto samples = ramp(32000);
    const auto path = wav("mono.wav", samples, 16000, 1);
    AudioFile reference(path);
    auto whole = *PCMBuffer::make(reference.processingFormat(), 32000);
    reference.read(whole);

    // The channel mode plays no part for a 16 kHz mono file.
    const auto buffer = AudioProcessor::loadAudio(path, ChannelMode::specificChannel(3), 0.5, 1.25, 7);

    EXPECT_EQ(buffer.format(), AudioFormat::standard());
    const auto expected = firstChannel(whole);
    EXPECT_EQ(firstChannel(buffer), std::vector<float>(expected.begin() + 8000, expected.begin() + 20000));
}

TEST_F(AudioProcessorTests, StereoAt44100IsSummedAndResampledKeepingTheLouderPeak) {
    const auto path = wav("stereo.wav", sines(44100, 2.0, {{440, 0.25F}, {660, 0.5F}}), 44100, 2);

    const auto samples = AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels());

    EXPECT_NEAR(static_cast<double>(samples.size()), 32000, 2);
    EXPECT_NEAR(peak(samples), 0.5, 0.02);
}

TEST_F(AudioProcessorTests, SmallReadSizesConvertInStepsWithoutLosingAudio) {
    const auto path = wav("long.wav", sines(44100, 1.0, {{300, 0.5F}}), 44100, 1);
    AudioFile file(path);

    const auto buffer = AudioProcessor::loadAudio(file, ChannelMode::sumChannels(), std::nullopt, std::nullopt, 10000);

    // Each step rounds its own length; no step is lost or converted twice.
    EXPECT_LE(buffer.frameLength(), 16000u);
    EXPECT_GE(buffer.frameLength(), 15995u);
    const auto samples = firstChannel(buffer);
    const auto middle = std::span<const float>(samples).subspan(4000, 8000);
    EXPECT_NEAR(peak(middle), 0.5, 0.02);
}

TEST_F(AudioProcessorTests, TimesAreClampedToTheFile) {
    const auto path = wav("one-second.wav", ramp(16000), 16000, 1);

    EXPECT_EQ(AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels(), 0.5, 9.0).size(), 8000u);
    EXPECT_TRUE(AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels(), 1.0).empty());
    // A start after the end reads nothing.
    EXPECT_EQ(AudioProcessor::loadAudio(path, ChannelMode::sumChannels(), 0.75, 0.25, std::nullopt).frameLength(), 0u);
}

TEST_F(AudioProcessorTests, LongFilesLoadInSegmentsWithoutGaps) {
    // 1201 s: segments of 600, 600 and 1 s.
    const auto samples = ramp(1201 * 16000);
    const auto path = wav("long.wav", samples, 16000, 1);
    AudioFile reference(path);
    auto whole = *PCMBuffer::make(reference.processingFormat(), static_cast<std::uint32_t>(samples.size()));
    reference.read(whole);

    EXPECT_EQ(AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels()), firstChannel(whole));
}

TEST_F(AudioProcessorTests, MissingAndDamagedFilesFail) {
    const auto missing = (temp / "missing.wav").string();
    try {
        AudioProcessor::loadAudioAsFloatArray(missing, ChannelMode::sumChannels());
        FAIL() << "loaded a missing file";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperErrorKind::loadAudioFailed);
        EXPECT_EQ(error.message(), "Resource path does not exist " + missing);
    }
    const auto damaged = temp.write("damaged.wav", "RIFF not really").string();
    EXPECT_THROW(AudioProcessor::loadAudio(damaged, ChannelMode::sumChannels(), 0, std::nullopt, std::nullopt),
                 platform::audio::AudioError);
}

TEST_F(AudioProcessorTests, ManyFilesGiveOneOutcomePerPathInOrder) {
    const auto first = wav("first.wav", ramp(1600), 16000, 1);
    const auto missing = (temp / "missing.wav").string();
    const auto third = wav("third.wav", ramp(3200), 16000, 1);

    const auto outcomes = AudioProcessor::loadAudio(std::vector<std::string>{first, missing, third},
                                                    ChannelMode::sumChannels());

    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(std::get<std::vector<float>>(outcomes[0]).size(), 1600u);
    EXPECT_EQ(std::get<std::vector<float>>(outcomes[2]).size(), 3200u);
    try {
        std::rethrow_exception(std::get<std::exception_ptr>(outcomes[1]));
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.message(), "Resource path does not exist " + missing);
    }
}

TEST_F(AudioProcessorTests, ChannelModesChooseAndScaleChannels) {
    testing::PackageLogCapture log;
    const std::vector<float> left{0.1F, -0.2F, 0.3F};
    const std::vector<float> right{0.4F, 0.2F, -0.6F};
    const auto stereo = bufferOf(16000, {left, right});

    // An index outside the channels means channel 0, unscaled.
    EXPECT_EQ(firstChannel(*AudioProcessor::convertToMono(stereo, ChannelMode::specificChannel(5))), left);
    EXPECT_EQ(firstChannel(*AudioProcessor::convertToMono(stereo, ChannelMode::specificChannel(1))), right);
    EXPECT_EQ(firstChannel(*AudioProcessor::convertToMono(stereo, ChannelMode::sumChannels(std::vector<int>{7, 9}))),
              left);
    EXPECT_THAT(log.messages(), Contains("No valid channel indices provided, defaulting to first channel"));

    // Listed twice, added twice, then scaled back to the channel's own peak.
    const auto twice = firstChannel(*AudioProcessor::convertToMono(stereo, ChannelMode::sumChannels(std::vector<int>{1, 1})));
    for (std::size_t i = 0; i < right.size(); ++i) EXPECT_FLOAT_EQ(twice[i], right[i]);

    // All channels: the sum (0.5, 0, -0.3) scaled so that its peak is the louder channel's (0.6).
    for (const auto& mode : {ChannelMode::sumChannels(), ChannelMode::sumChannels(std::vector<int>{})}) {
        const auto summed = firstChannel(*AudioProcessor::convertToMono(stereo, mode));
        EXPECT_FLOAT_EQ(summed[0], 0.6F);
        EXPECT_FLOAT_EQ(summed[1], 0.0F);
        EXPECT_FLOAT_EQ(summed[2], -0.36F);
    }

    // Silence stays silence: the peak floor keeps the scale finite.
    const auto silent = bufferOf(16000, {{0, 0}, {0, 0}});
    EXPECT_EQ(firstChannel(*AudioProcessor::convertToMono(silent, ChannelMode::sumChannels())),
              (std::vector<float>{0, 0}));
    // One channel needs no mixing.
    const auto mono = bufferOf(16000, {left});
    EXPECT_EQ(firstChannel(*AudioProcessor::convertToMono(mono, ChannelMode::specificChannel(1))), left);
}

TEST_F(AudioProcessorTests, BufferToArrayCopiesTheFirstChannelAndLeavesTheBufferIntact) {
    const auto buffer = bufferOf(16000, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}});

    EXPECT_EQ(AudioProcessor::convertBufferToArray(buffer, 2), (std::vector<float>{1, 2, 3, 4, 5}));
    // The caller's recording is still there: a second copy reads the same samples.
    EXPECT_EQ(firstChannel(buffer), (std::vector<float>{1, 2, 3, 4, 5}));
    EXPECT_EQ(AudioProcessor::convertBufferToArray(buffer, 1024), (std::vector<float>{1, 2, 3, 4, 5}));
    EXPECT_EQ(buffer.frameLength(), 5u);

    auto int16 = *PCMBuffer::make(*AudioFormat::make(platform::audio::CommonFormat::pcmFormatInt16, 16000, 1, false), 4);
    EXPECT_TRUE(AudioProcessor::convertBufferToArray(int16, 1024).empty());
}

TEST_F(AudioProcessorTests, ResamplingHandsTheBufferOverOnce) {
    // A sweep never repeats itself, so audio converted twice shows.
    std::vector<float> sweep(4410);
    for (std::size_t i = 0; i < sweep.size(); ++i) {
        sweep[i] = 0.5F * static_cast<float>(std::sin(2 * std::numbers::pi * (50 + 0.05 * i) * i / 44100.0));
    }
    const auto buffer = bufferOf(44100, {sweep});
    auto converter = platform::audio::AudioConverter::make(buffer.format(), AudioFormat::standard());

    const auto converted = firstChannel(AudioProcessor::resampleBuffer(buffer, *converter));
    const auto reference = firstChannel(platform::audio::AudioConverter::convertAll(buffer, AudioFormat::standard()));

    ASSERT_EQ(converted.size(), 1600u);
    ASSERT_GE(reference.size(), converted.size());
    for (std::size_t i = 0; i < converted.size(); ++i) {
        ASSERT_NEAR(converted[i], reference[i], 1e-6) << "frame " << i;
    }
}

TEST_F(AudioProcessorTests, ResamplingRoundsTheCapacityToTheNearestFrame) {
    testing::PackageLogCapture log;
    const auto from44 = bufferOf(44100, {std::vector<float>(1000, 0.25F)});
    auto converter = platform::audio::AudioConverter::make(from44.format(), AudioFormat::standard());

    const auto converted = AudioProcessor::resampleBuffer(from44, *converter);

    EXPECT_EQ(converted.frameCapacity(), 363u);
    EXPECT_THAT(log.messages(), Contains(HasSubstr("to 363 to better fit new sample rate")));
    EXPECT_NEAR(static_cast<double>(converted.frameLength()), 363, 1);

    const auto before = log.messages().size();
    const auto from48 = bufferOf(48000, {std::vector<float>(1200, 0.25F)});
    auto exact = platform::audio::AudioConverter::make(from48.format(), AudioFormat::standard());
    EXPECT_EQ(AudioProcessor::resampleBuffer(from48, *exact).frameCapacity(), 400u);
    const auto after = log.messages();
    EXPECT_EQ(std::count_if(after.begin() + static_cast<std::ptrdiff_t>(before), after.end(),
                            [](const std::string& line) { return line.starts_with("Rounding"); }),
              0);
}

TEST_F(AudioProcessorTests, AppendingFitsTheReceiverAndRefusesOtherFormats) {
    auto receiver = *PCMBuffer::make(AudioFormat::standard(), 100);
    const auto source = bufferOf(16000, {std::vector<float>(150, 0.5F)});

    EXPECT_TRUE(AudioProcessor::appendContents(receiver, source, 0, 150));
    EXPECT_EQ(receiver.frameLength(), 100u);
    EXPECT_EQ(firstChannel(receiver), std::vector<float>(100, 0.5F));

    auto other = *PCMBuffer::make(*AudioFormat::standard(44100, 1), 100);
    EXPECT_FALSE(AudioProcessor::appendContents(other, source, 0, 10));
    EXPECT_EQ(other.frameLength(), 0u);
    auto roomy = *PCMBuffer::make(AudioFormat::standard(), 400);
    EXPECT_FALSE(AudioProcessor::appendContents(roomy, source, 100, 51));
}

TEST_F(AudioProcessorTests, WindowsArePaddedAtTheEndOrCut) {
    std::vector<float> short100(100, 0.5F);
    const auto padded = AudioProcessor::padOrTrimAudio(short100, 0, Constants::defaultWindowSamples);
    ASSERT_TRUE(padded);
    ASSERT_EQ(padded->count(), 480000);
    EXPECT_EQ(padded->dataType(), platform::coreml::MLMultiArrayDataType::float32);
    const float* data = padded->dataPointer<float>();
    EXPECT_TRUE(std::all_of(data, data + 100, [](float value) { return value == 0.5F; }));
    EXPECT_TRUE(std::all_of(data + 100, data + 480000, [](float value) { return value == 0; }));

    const auto long500 = ramp(500000);
    const auto cut = AudioProcessor().padOrTrim(long500, 1000, 480000);
    ASSERT_TRUE(cut);
    EXPECT_TRUE(std::equal(long500.begin() + 1000, long500.begin() + 481000, cut->dataPointer<float>()));

    testing::PackageLogCapture log;
    EXPECT_FALSE(AudioProcessor::padOrTrimAudio(short100, 100, 480000));
    EXPECT_FALSE(AudioProcessor::padOrTrimAudio({}, 0, 480000));
    EXPECT_THAT(log.messages(), Contains("startIndex is outside the buffer size"));
}

} // namespace
} // namespace hushframe
