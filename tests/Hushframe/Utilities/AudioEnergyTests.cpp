#include "Hushframe/Audio/AudioEnergy.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

namespace hushframe {
namespace {

std::vector<float> constant(float value, std::size_t count = 1600) { return std::vector<float>(count, value); }

TEST(AudioEnergy, RootMeanSquarePeakAndTrough) {
    const std::vector<float> samples{0.5F, -0.5F, 0.25F, -1.0F};
    // sqrt((0.25 + 0.25 + 0.0625 + 1) / 4) = sqrt(0.390625) = 0.625
    EXPECT_FLOAT_EQ(AudioEnergy::calculateAverageEnergy(samples), 0.625F);
    const auto measures = AudioEnergy::calculateEnergy(samples);
    EXPECT_FLOAT_EQ(measures.avg, 0.625F);
    EXPECT_FLOAT_EQ(measures.max, 1.0F);
    EXPECT_FLOAT_EQ(measures.min, 0.25F);
    EXPECT_EQ(AudioEnergy::calculateAverageEnergy({}), 0.0F);
}

struct RelativeCase {
    const char* name;
    float level;
    std::optional<float> reference;
    float expected;
};

TEST(AudioEnergy, RelativeEnergyIsLinearInDecibelsBetweenReferenceAndFullScale) {
    const RelativeCase cases[] = {
        {"-40 dB against the default -60 dB", 0.01F, std::nullopt, 20.0F / 60.0F},
        {"at the default reference", 0.001F, std::nullopt, 0.0F},
        {"below the reference", 0.0001F, std::nullopt, 0.0F},
        {"full scale", 1.0F, std::nullopt, 1.0F},
        {"above full scale is limited", 2.0F, std::nullopt, 1.0F},
        {"silence", 0.0F, std::nullopt, 0.0F},
        {"reference 0 is raised to 1e-8", 0.001F, 0.0F, 100.0F / 160.0F},
        {"given reference -20 dB", 0.1F, 0.01F, 0.5F},
        {"infinite reference", 0.5F, std::numeric_limits<float>::infinity(), 0.0F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(AudioEnergy::calculateRelativeEnergy(constant(c.level), c.reference), c.expected, 1e-5F);
    }
}

struct VoiceCase {
    const char* name;
    float seconds;
    std::vector<int> loudIndices; // indices (of 30 values) above the threshold
    bool expected;
};

TEST(AudioEnergy, VoiceCheckLooksPastTheNewestValuesOfALongWindow) {
    // 30 values; 2.0 s reaches the last 20 (10 … 29) and looks at 10 … 19.
    const VoiceCase cases[] = {
        {"2 s, loud inside 10 … 19", 2.0F, {15}, true},
        {"2 s, loud only among the newest ten", 2.0F, {25}, false},
        {"2 s, loud just before the reach", 2.0F, {9}, false},
        {"3 s reaches 0 … 19", 3.0F, {0}, true},
        {"3 s leaves out 20 … 29", 3.0F, {20}, false},
        {"0.5 s looks at the last five", 0.5F, {27}, true},
        {"0.5 s, loud just before them", 0.5F, {24}, false},
        {"1.5 s: 15 values, the first ten taken", 1.5F, {24}, true},
        {"1.5 s: newest five left out", 1.5F, {25}, false},
        {"no time", 0.0F, {29}, false},
        {"negative time", -1.0F, {29}, false},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), {29}, false},
        {"infinite", std::numeric_limits<float>::infinity(), {15}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> values(30, 0.1F);
        for (const int i : c.loudIndices) values[static_cast<std::size_t>(i)] = 0.9F;
        EXPECT_EQ(AudioEnergy::isVoiceDetected(values, c.seconds, 0.3F), c.expected);
    }
}

TEST(AudioEnergy, VoiceCheckEdges) {
    const std::vector<float> atThreshold(30, 0.3F);
    EXPECT_FALSE(AudioEnergy::isVoiceDetected(atThreshold, 3.0F, 0.3F)) << "equal is not above";
    const std::vector<float> few{0.1F, 0.9F};
    EXPECT_TRUE(AudioEnergy::isVoiceDetected(few, 2.0F, 0.3F)) << "fewer values than reach: all of them";
    EXPECT_FALSE(AudioEnergy::isVoiceDetected({}, 2.0F, 0.3F));
}

TEST(AudioEnergy, NonSilentChunksAreTheActiveTenthsOfASecond) {
    EXPECT_TRUE(AudioEnergy::calculateNonSilentChunks(std::vector<float>(16000, 0.0F)).empty());
    std::vector<float> samples(16000, 0.0F);
    std::fill(samples.begin() + 3200, samples.begin() + 6400, 0.5F);
    // Exactly the threshold is silence.
    std::fill(samples.begin() + 9600, samples.begin() + 11200, 0.02F);
    const auto ranges = AudioEnergy::calculateNonSilentChunks(samples);
    ASSERT_EQ(ranges.size(), 1U);
    EXPECT_EQ(ranges[0].startIndex, 3200);
    EXPECT_EQ(ranges[0].endIndex, 6400);
}

} // namespace
} // namespace hushframe
