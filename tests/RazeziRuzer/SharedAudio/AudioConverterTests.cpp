#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Audio/WavWriter.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>

namespace razeziruzer {
namespace {

using platform::audio::AudioFormat;
using platform::audio::CommonFormat;
using platform::audio::PCMBuffer;

// Non-interleaved float buffer whose sample (channel c, frame f) is value(c, f).
template <typename Value>
PCMBuffer makeBuffer(double rate, std::uint32_t channels, std::uint32_t frames, Value value) {
    auto buffer = *PCMBuffer::make(*AudioFormat::standard(rate, channels), frames);
    for (std::uint32_t c = 0; c < channels; ++c) {
        for (std::uint32_t f = 0; f < frames; ++f) buffer.floatChannelData(c)[f] = value(c, f);
    }
    buffer.setFrameLength(frames);
    return buffer;
}

float sine(double frequency, double rate, std::uint32_t frame) {
    return static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * frequency * frame / rate));
}

// Amplitude of `frequency` in the signal, by correlation with a sine and a cosine.
double amplitudeAt(const std::vector<float>& samples, double frequency, double rate, std::size_t skip) {
    double re = 0, im = 0;
    const std::size_t n = samples.size() - 2 * skip;
    for (std::size_t i = skip; i < skip + n; ++i) {
        re += samples[i] * std::cos(2 * std::numbers::pi * frequency * i / rate);
        im += samples[i] * std::sin(2 * std::numbers::pi * frequency * i / rate);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(n);
}

TEST(AudioConverterTest, TargetFormatBufferComesBackSampleForSample) {
    const auto buffer = makeBuffer(16000, 1, 1000, [](auto, auto f) { return std::sin(0.37f * f); });
    const AudioConverter converter;
    const auto samples = converter.resampleBuffer(buffer);
    ASSERT_EQ(samples.size(), 1000u);
    for (std::uint32_t f = 0; f < 1000; ++f) EXPECT_EQ(samples[f], buffer.floatChannelData(0)[f]);

    // The sample-buffer path runs through the platform converter, which
    // leaves same-format audio as it is.
    EXPECT_EQ(converter.resampleSampleBuffer(buffer), samples);
    EXPECT_TRUE(converter.resampleBuffer(makeBuffer(16000, 1, 0, [](auto, auto) { return 0.0f; })).empty());
}

TEST(AudioConverterTest, SampleBufferInAnotherFormatGoesThroughTheConverter) {
    // Captured audio as it arrives: 48 kHz, 16-bit, two interleaved channels,
    // a tone on the left only. A copy of the buffer's samples would be neither
    // 16 kHz nor mono nor float.
    constexpr std::uint32_t frames = 48000;
    auto captured = *PCMBuffer::make(*AudioFormat::make(CommonFormat::pcmFormatInt16, 48000, 2, true), frames);
    for (std::uint32_t f = 0; f < frames; ++f) {
        captured.int16ChannelData(0)[2 * f] = static_cast<std::int16_t>(32767 * sine(440, 48000, f));
        captured.int16ChannelData(0)[2 * f + 1] = 0;
    }
    captured.setFrameLength(frames);

    const AudioConverter converter;
    const auto samples = converter.resampleSampleBuffer(captured);
    ASSERT_NEAR(static_cast<double>(samples.size()), 16000.0, 2.0);
    EXPECT_NEAR(amplitudeAt(samples, 440, 16000, 800), 0.25, 0.01);
    EXPECT_EQ(samples, converter.resampleBuffer(captured));
}

TEST(AudioConverterTest, ResampleReturnsInputAtTargetRateAndEmptyForEmptyInput) {
    const AudioConverter converter(24000.0);
    const std::vector<float> input{0.1f, -0.2f, 0.3f};
    EXPECT_EQ(converter.resample(input, 24000), input);
    for (const double rate : {8000.0, 24000.0, 48000.0, std::nan("")}) {
        EXPECT_TRUE(converter.resample({}, rate).empty()) << rate;
    }
}

TEST(AudioConverterTest, ResampleKeepsATonesPitchAndLevel) {
    const AudioConverter converter;
    std::vector<float> input(48000);
    for (std::uint32_t i = 0; i < input.size(); ++i) input[i] = sine(440, 48000, i);
    const auto output = converter.resample(input, 48000);
    // The drain delivers the filter's tail: the length is the exact ratio.
    EXPECT_NEAR(static_cast<double>(output.size()), 16000.0, 2.0);
    EXPECT_NEAR(amplitudeAt(output, 440, 16000, 800), 0.5, 0.01);
}

TEST(AudioConverterTest, ATonePastTheNewNyquistFrequencyLeavesNoAlias) {
    // The converter filters at the resampler's highest quality: a 9 kHz tone
    // at 48 kHz, beyond the 8 kHz that 16 kHz can hold, leaves well under a
    // billionth of its level at its alias, 7 kHz (the high-quality recipe
    // leaves about 2e-8).
    std::vector<float> input(96000);
    for (std::uint32_t i = 0; i < input.size(); ++i) input[i] = sine(9000, 48000, i);
    const auto output = AudioConverter().resample(input, 48000);
    EXPECT_LT(amplitudeAt(output, 7000, 16000, 2000), 2e-9);
}

TEST(AudioConverterTest, StereoBufferBecomesMonoAtTheTargetRate) {
    const auto buffer = makeBuffer(44100, 2, 44100, [](auto c, auto f) { return c == 0 ? sine(300, 44100, f) : 0.0f; });
    const auto output = AudioConverter().resampleBuffer(buffer);
    EXPECT_NEAR(static_cast<double>(output.size()), 16000.0, 2.0);
    // The two channels are averaged, so the tone arrives at half its level.
    EXPECT_NEAR(amplitudeAt(output, 300, 16000, 800), 0.25, 0.01);
}

TEST(AudioConverterTest, MoreThanTwoChannelsAreAveragedAndLinearlyResampled) {
    const auto value = [](std::uint32_t c, std::uint32_t f) { return 0.01f * static_cast<float>(c) + 0.001f * f; };
    const auto buffer = makeBuffer(48000, 6, 4800, value);
    const auto mean = [&](std::uint32_t f) {
        float sum = 0;
        for (std::uint32_t c = 0; c < 6; ++c) sum += value(c, f);
        return sum * (1.0f / 6.0f);
    };

    const auto output = AudioConverter().resampleBuffer(buffer);
    ASSERT_EQ(output.size(), 1600u);
    for (std::uint32_t i = 0; i < output.size(); ++i) ASSERT_EQ(output[i], mean(3 * i)) << i;

    const auto sameRate = AudioConverter(48000.0).resampleBuffer(buffer);
    ASSERT_EQ(sameRate.size(), 4800u);
    for (std::uint32_t f = 0; f < 4800; ++f) ASSERT_EQ(sameRate[f], mean(f)) << f;
}

TEST(AudioConverterTest, LinearFallbackHoldsTheFinalFrameAtTheEnd) {
    // 3 frames at 4 Hz to 10 Hz: step 0.4, 7 outputs at 0, 0.4, ..., 2.4.
    const auto buffer = makeBuffer(4, 4, 3, [](auto, auto f) { return static_cast<float>(f + 1); });
    const auto output = AudioConverter(10.0).resampleBuffer(buffer);
    ASSERT_EQ(output.size(), 7u);
    EXPECT_FLOAT_EQ(output[1], 1.4f);
    EXPECT_FLOAT_EQ(output[4], 2.6f);
    EXPECT_EQ(output[5], 3.0f); // position 2.0 falls on the final frame
    EXPECT_EQ(output[6], 3.0f); // position 2.4: k = 2 is still the final frame
}

TEST(AudioConverterTest, LinearFallbackNeedsFloatSamples) {
    auto buffer = *PCMBuffer::make(*AudioFormat::make(CommonFormat::pcmFormatInt16, 48000, 4, true), 10);
    buffer.setFrameLength(10);
    try {
        AudioConverter().resampleBuffer(buffer);
        FAIL() << "expected failedToCreateBuffer";
    } catch (const AudioConverterError& error) {
        EXPECT_EQ(error.kind(), AudioConverterErrorKind::failedToCreateBuffer);
    }
}

TEST(AudioConverterTest, DebugLinesDescribeEachConversion) {
    platform::ScopedLogCapture capture;
    const AudioConverter converter(16000.0, true);
    converter.resampleBuffer(makeBuffer(48000, 6, 480, [](auto, auto) { return 0.0f; }));
    EXPECT_TRUE(capture.contains("Manual resampling: 6 channels → mono, 48000.0Hz → 16000.0Hz"));
    converter.resample(std::vector<float>(800, 0.0f), 8000);
    EXPECT_TRUE(capture.contains("Audio conversion: 800 samples → "));
    EXPECT_TRUE(capture.contains("ratio: 2"));
}

TEST(AudioConverterTest, ErrorTexts) {
    const struct {
        AudioConverterError error;
        const char* text;
    } cases[] = {
        {AudioConverterError::conversionFailed(), "Audio conversion failed: Unknown error"},
        {AudioConverterError::conversionFailed(std::make_exception_ptr(platform::audio::AudioError(
             platform::audio::AudioErrorKind::conversionFailed, "resampler broke"))),
         "Audio conversion failed: resampler broke"},
        {AudioConverterError::sampleBufferCopyFailed(-12731),
         "Failed to copy samples from CMSampleBuffer (status: -12731)"},
        {AudioConverterError::failedToCreateConverter(), "Failed to create audio converter"},
        {AudioConverterError::failedToCreateBuffer(), "Failed to create conversion buffer"},
        {AudioConverterError::sampleBufferFormatMissing(), "Sample buffer is missing a valid audio format description."},
        {AudioConverterError::failedToCreateSourceFormat(),
         "Failed to create a source audio format description for CMSampleBuffer."},
    };
    for (const auto& c : cases) EXPECT_EQ(c.error.errorDescription(), c.text);
}

TEST(AudioConverterTest, RatesWithoutAFormatAreRefused) {
    for (const double rate : {0.0, -16000.0, std::nan(""), double{INFINITY}}) {
        EXPECT_THROW(AudioConverter{rate}, AudioConverterError) << rate;
        try {
            AudioConverter().resample(std::vector<float>{0.5f}, rate);
            ADD_FAILURE() << "rate " << rate << " accepted";
        } catch (const AudioConverterError& error) {
            EXPECT_EQ(error.kind(), AudioConverterErrorKind::failedToCreateSourceFormat);
        }
    }
}

TEST(AudioConverterTest, ExtractedSampleBufferHoldsTheSameFramesAndFormat) {
    auto source = *PCMBuffer::make(*AudioFormat::make(CommonFormat::pcmFormatInt16, 48000, 2, true), 64);
    for (std::uint32_t i = 0; i < 20; ++i) source.int16ChannelData(0)[i] = static_cast<std::int16_t>(i * 100);
    source.setFrameLength(10);
    const auto copy = AudioConverter().extractAVAudioPCMBuffer(source);
    EXPECT_EQ(copy.format(), source.format());
    EXPECT_EQ(copy.frameCapacity(), 10u);
    ASSERT_EQ(copy.frameLength(), 10u);
    for (std::uint32_t i = 0; i < 20; ++i) EXPECT_EQ(copy.int16ChannelData(0)[i], i * 100);
}

class AudioConverterFileTest : public ::testing::Test {
protected:
    std::filesystem::path writeWav(const std::string& name, const std::vector<float>& interleaved, double rate,
                                   std::uint32_t channels) {
        const auto path = folder / name;
        platform::audio::WavWriter::write(path, interleaved, rate, channels);
        return path;
    }
    testsupport::TemporaryDirectory folder;
};

TEST_F(AudioConverterFileTest, EmptyFileGivesNoSamples) {
    EXPECT_TRUE(AudioConverter().resampleAudioFile(writeWav("empty.wav", {}, 44100, 2)).empty());
}

TEST_F(AudioConverterFileTest, TargetRateMonoFileIsReadAsItIs) {
    std::vector<float> samples(5000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(i % 200) / 400.0f - 0.25f;
    const auto path = writeWav("mono.wav", samples, 16000, 1);
    const auto read = AudioConverter().resampleAudioFile(path.string());
    ASSERT_EQ(read.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) ASSERT_NEAR(read[i], samples[i], 1.0 / 32767) << i;
}

TEST_F(AudioConverterFileTest, LongStereoFileIsMixedAndResampledInOnePass) {
    // 2.5 s spans several read chunks; a per-chunk conversion would leave
    // seams and the wrong length.
    constexpr std::uint32_t frames = 110250;
    std::vector<float> interleaved(frames * 2);
    for (std::uint32_t f = 0; f < frames; ++f) {
        interleaved[2 * f] = sine(1000, 44100, f);
        interleaved[2 * f + 1] = sine(1000, 44100, f);
    }
    const auto output = AudioConverter().resampleAudioFile(writeWav("stereo.wav", interleaved, 44100, 2));
    EXPECT_NEAR(static_cast<double>(output.size()), 40000.0, 2.0);
    EXPECT_NEAR(amplitudeAt(output, 1000, 16000, 800), 0.5, 0.01);
}

TEST_F(AudioConverterFileTest, AFileConvertsExactlyAsItsSamplesDoInOnePiece) {
    // 2.5 s read in 1 s chunks and converted as one stream give the very
    // samples that converting the whole decoded file at once gives.
    constexpr std::uint32_t frames = 110250;
    std::vector<float> interleaved(frames * 2);
    for (std::uint32_t f = 0; f < frames; ++f) {
        interleaved[2 * f] = sine(700, 44100, f);
        interleaved[2 * f + 1] = sine(1900, 44100, f) * 0.5f;
    }
    const auto path = writeWav("stereo.wav", interleaved, 44100, 2);
    platform::audio::AudioFile file(path);
    auto whole = *PCMBuffer::make(file.processingFormat(), frames);
    file.read(whole);
    ASSERT_EQ(whole.frameLength(), frames);

    const AudioConverter converter;
    EXPECT_EQ(converter.resampleAudioFile(path), converter.resampleBuffer(whole));
}

TEST_F(AudioConverterFileTest, FileErrorsPassThroughUnchanged) {
    EXPECT_THROW(AudioConverter().resampleAudioFile(folder / "missing.wav"), platform::audio::AudioError);
    std::ofstream(folder / "junk.wav") << "not audio at all";
    try {
        AudioConverter().resampleAudioFile(folder / "junk.wav");
        FAIL() << "junk accepted";
    } catch (const platform::audio::AudioError& error) {
        EXPECT_EQ(error.kind(), platform::audio::AudioErrorKind::invalidFile);
    }
}

} // namespace
} // namespace razeziruzer
