#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Audio/WavWriter.hpp"
#include "tests/Platform/Audio/AudioFixtures.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace platform::audio;

// Every channel of the file, interleaved.
std::vector<float> readBack(const std::filesystem::path& path) {
    AudioFile file(path);
    auto buffer = *PCMBuffer::make(file.processingFormat(), static_cast<std::uint32_t>(file.length()));
    file.read(buffer);
    const std::uint32_t channels = file.processingFormat().channelCount();
    std::vector<float> samples;
    for (std::uint32_t f = 0; f < buffer.frameLength(); ++f) {
        for (std::uint32_t c = 0; c < channels; ++c) {
            samples.push_back(buffer.floatChannelData(c)[f]);
        }
    }
    return samples;
}

TEST(WavWriter, QuantizesByClippingScalingAndRounding) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::pair<float, std::int16_t>> cases = {
        {0.0f, 0},     {1.0f, 32767},  {1.5f, 32767},   {-1.0f, -32767}, {-2.0f, -32767},  {0.5f, 16384},
        {-0.5f, -16384}, {inf, 32767}, {-inf, -32767}, {nan, 0},        {1.0f / 32767, 1}, {0.4f / 32767, 0},
    };
    for (const auto& [sample, expected] : cases) {
        EXPECT_EQ(WavWriter::quantize(sample), expected) << sample;
    }
}

TEST(WavWriter, FileReadsBackWithinOneStepForMonoAndStereo) {
    const testsupport::TemporaryDirectory folder;
    for (std::uint32_t channels : {1u, 2u}) {
        auto samples = audiotest::sine(997, 16000, 3000, channels, 0.9f);
        samples[1] = 1.7f;
        samples[2] = -1.0f;
        samples[3] = std::numeric_limits<float>::quiet_NaN();
        const auto path = folder / ("out" + std::to_string(channels) + ".wav");
        WavWriter::write(path, samples, 16000, channels);

        AudioFile file(path);
        EXPECT_EQ(file.fileFormat().commonFormat(), CommonFormat::pcmFormatInt16);
        EXPECT_EQ(file.processingFormat(), *AudioFormat::standard(16000, channels));
        const auto stored = readBack(path);
        ASSERT_EQ(stored.size(), samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            // The reader scales 16-bit values by 1/32768, so this recovers the stored integer exactly.
            ASSERT_EQ(stored[i] * 32768.0f, static_cast<float>(WavWriter::quantize(samples[i]))) << i;
            if (!std::isnan(samples[i]) && std::abs(samples[i]) <= 1) {
                ASSERT_NEAR(stored[i], samples[i], 1.5 / 32767) << i;
            }
        }
        EXPECT_EQ(stored[3], 0.0f);
    }
}

TEST(WavWriter, WritesAPCMBufferWithAllItsChannels) {
    const testsupport::TemporaryDirectory folder;
    auto buffer = *PCMBuffer::make(*AudioFormat::standard(8000, 2), 4);
    buffer.setFrameLength(3);
    for (std::uint32_t f = 0; f < 3; ++f) {
        buffer.floatChannelData(0)[f] = 0.25f;
        buffer.floatChannelData(1)[f] = -0.25f;
    }
    WavWriter::write(folder / "b.wav", buffer);
    const auto stored = readBack(folder / "b.wav");
    ASSERT_EQ(stored.size(), 6u);
    EXPECT_NEAR(stored[0], 0.25f, 1.0 / 32767);
    EXPECT_NEAR(stored[5], -0.25f, 1.0 / 32767);
}

TEST(WavWriter, EmptyInputGivesAValidEmptyFile) {
    const testsupport::TemporaryDirectory folder;
    WavWriter::write(folder / "empty.wav", std::vector<float>{}, 16000, 1);
    EXPECT_EQ(AudioFile(folder / "empty.wav").length(), 0);
}

TEST(WavWriter, UnwritablePathFailsWithThePathAndLeavesNothingBehind) {
    const testsupport::TemporaryDirectory folder;
    const auto path = folder / "no-such-folder" / "out.wav";
    try {
        WavWriter::write(path, std::vector<float>(10, 0.1f), 16000, 1);
        FAIL();
    } catch (const AudioError& error) {
        EXPECT_EQ(error.kind(), AudioErrorKind::writeFailed);
        EXPECT_NE(error.description().find(path.string()), std::string::npos) << error.description();
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(WavWriter, ReplacesAnExistingFileWithoutLeavingTheTemporary) {
    const testsupport::TemporaryDirectory folder;
    folder.write("out.wav", "old contents");
    WavWriter::write(folder / "out.wav", std::vector<float>(10, 0.1f), 16000, 1);
    EXPECT_EQ(AudioFile(folder / "out.wav").length(), 10);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(WavWriter, RefusesMalformedArguments) {
    const testsupport::TemporaryDirectory folder;
    const std::vector<float> three(3, 0.0f);
    const auto kindOf = [&](std::uint32_t channels, double rate) {
        try {
            WavWriter::write(folder / "x.wav", three, rate, channels);
        } catch (const AudioError& error) {
            return error.kind();
        }
        return AudioErrorKind::conversionFailed;
    };
    EXPECT_EQ(kindOf(0, 16000), AudioErrorKind::invalidArgument);
    EXPECT_EQ(kindOf(2, 16000), AudioErrorKind::invalidArgument);
    EXPECT_EQ(kindOf(1, 0), AudioErrorKind::invalidArgument);
    EXPECT_EQ(kindOf(1, std::nan("")), AudioErrorKind::invalidArgument);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.wav"));
}

} // namespace
