#include "RazeziRuzer/Shared/AudioWAV.hpp"

#include "RazeziRuzer/Shared/AudioConverterError.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace razeziruzer {
namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::string text(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4);
}

std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::int16_t> samples;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) samples.push_back(static_cast<std::int16_t>(read16(bytes, at)));
    return samples;
}

TEST(AudioWAVTest, SamplesAreClippedScaledAndTruncated) {
    const struct {
        float sample;
        std::int16_t stored;
    } cases[] = {
        {1.5f, 32767}, {1.0f, 32767}, {-1.0f, -32767}, {-2.0f, -32767}, {0.5f, 16383}, {-0.5f, -16383},
        {0.0f, 0},     {INFINITY, 32767}, {-INFINITY, -32767}, {NAN, 0}, {-NAN, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AudioWAV::quantize(c.sample), c.stored) << c.sample;
        EXPECT_EQ(samplesOf(AudioWAV::data(std::vector<float>{c.sample}, 16000, false)),
                  std::vector<std::int16_t>{c.stored})
            << c.sample;
    }
}

TEST(AudioWAVTest, HeaderDescribesMono16BitPcm) {
    const auto bytes = AudioWAV::data(std::vector<float>{0.25f, -0.25f, 0.0f}, 22050.9, false);
    ASSERT_EQ(bytes.size(), 50u);
    EXPECT_EQ(text(bytes, 0), "RIFF");
    EXPECT_EQ(read32(bytes, 4), 6u + 36u);
    EXPECT_EQ(text(bytes, 8), "WAVE");
    EXPECT_EQ(text(bytes, 12), "fmt ");
    EXPECT_EQ(read32(bytes, 16), 16u);
    EXPECT_EQ(read16(bytes, 20), 1u);
    EXPECT_EQ(read16(bytes, 22), 1u);
    EXPECT_EQ(read32(bytes, 24), 22050u);
    EXPECT_EQ(read32(bytes, 28), 44101u); // integer part of rate × 2
    EXPECT_EQ(read16(bytes, 32), 2u);
    EXPECT_EQ(read16(bytes, 34), 16u);
    EXPECT_EQ(text(bytes, 36), "data");
    EXPECT_EQ(read32(bytes, 40), 6u);
    EXPECT_EQ(samplesOf(bytes), (std::vector<std::int16_t>{8191, -8191, 0}));
}

TEST(AudioWAVTest, EmptyInputIsJustTheHeader) {
    const auto bytes = AudioWAV::data({}, 16000, true);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(read32(bytes, 4), 36u);
    EXPECT_EQ(read32(bytes, 40), 0u);
}

TEST(AudioWAVTest, NormalizeScalesThePeakToFullLevel) {
    EXPECT_EQ(samplesOf(AudioWAV::data(std::vector<float>{0.5f, -0.25f, 0.1f}, 16000, true)),
              (std::vector<std::int16_t>{32767, -16383, 6553}));
    EXPECT_EQ(samplesOf(AudioWAV::data(std::vector<float>{0.5f, -0.25f}, 16000, false)),
              (std::vector<std::int16_t>{16383, -8191}));
    EXPECT_EQ(samplesOf(AudioWAV::data(std::vector<float>(3, 0.0f), 16000, true)), std::vector<std::int16_t>(3, 0));
    // A NaN neither sets the peak nor poisons the other samples.
    EXPECT_EQ(samplesOf(AudioWAV::data(std::vector<float>{NAN, 0.25f}, 16000, true)),
              (std::vector<std::int16_t>{0, 32767}));
}

TEST(AudioWAVTest, RatesTheHeaderCannotHoldAreRefused) {
    for (const double rate : {-1.0, double{NAN}, 2147483648.0, double{INFINITY}}) {
        try {
            AudioWAV::data(std::vector<float>{0.0f}, rate, false);
            ADD_FAILURE() << "rate " << rate << " accepted";
        } catch (const AudioConverterError& error) {
            EXPECT_EQ(error.kind(), AudioConverterErrorKind::conversionFailed);
            EXPECT_NE(error.description().find("sample rate"), std::string::npos) << error.description();
        }
    }
    EXPECT_EQ(read32(AudioWAV::data({}, 2147483647.0, false), 24), 2147483647u);
}

} // namespace
} // namespace razeziruzer
