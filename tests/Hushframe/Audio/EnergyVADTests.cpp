#include "Hushframe/Audio/EnergyVAD.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace hushframe {
namespace {

using Range = VoiceActivityDetector::Range;
using ::testing::ElementsAre;

// Frames of 1600 samples: each at a level loud (0.5) or silent (0).
std::vector<float> frames(const std::vector<bool>& loud, std::size_t lastFrameSamples = 1600) {
    std::vector<float> samples;
    for (std::size_t i = 0; i < loud.size(); ++i) {
        const std::size_t count = i + 1 == loud.size() ? lastFrameSamples : 1600;
        samples.insert(samples.end(), count, loud[i] ? 0.5F : 0.0F);
    }
    return samples;
}

TEST(EnergyVADTests, DefaultDetectorMatchesTheSecondsForm) {
    const EnergyVAD detector;
    const EnergyVAD fromSeconds = EnergyVAD::withSeconds(16000, 0.1F, 0.0F, 0.02F);
    for (const auto* vad : {&detector, &fromSeconds}) {
        EXPECT_EQ(vad->sampleRate, 16000);
        EXPECT_EQ(vad->frameLengthSamples, 1600);
        EXPECT_EQ(vad->frameOverlapSamples, 0);
        EXPECT_EQ(vad->energyThreshold, 0.02F);
    }
    EXPECT_FLOAT_EQ(detector.voiceActivityIndexToSeconds(25), 2.5F);
    EXPECT_EQ(detector.voiceActivityIndexToAudioSampleIndex(25), 40000);
    EXPECT_THROW(EnergyVAD::withSeconds(16000, std::numeric_limits<float>::infinity(), 0, 0.02F), std::invalid_argument);
    EXPECT_THROW(EnergyVAD::withSeconds(16000, 0.00001F, 0, 0.02F), std::invalid_argument);
}

TEST(EnergyVADTests, TrailingPartialFrameCountsAndTheThresholdIsStrict) {
    const EnergyVAD detector;
    std::vector<float> samples(1601, 0.0F);
    samples[1600] = 0.03F;
    EXPECT_THAT(detector.voiceActivity(samples), ElementsAre(false, true));
    samples[1600] = -0.02F;
    EXPECT_THAT(detector.voiceActivity(samples), ElementsAre(false, false));
    // A whole frame whose root-mean-square is exactly the threshold is silent.
    EXPECT_THAT(detector.voiceActivity(std::vector<float>(1600, 0.02F)), ElementsAre(false));
    EXPECT_TRUE(detector.voiceActivity({}).empty());
}

TEST(EnergyVADTests, SilenceHasNoActiveRangesAndOneLongSilence) {
    const EnergyVAD detector;
    const std::vector<float> silence(16000, 0.0F);
    EXPECT_EQ(detector.voiceActivity(silence), std::vector<bool>(10, false));
    EXPECT_TRUE(detector.calculateActiveChunks(silence).empty());
    EXPECT_EQ(detector.findLongestSilence(detector.voiceActivity(silence)), (Range{0, 10}));
}

TEST(EnergyVADTests, OverlapWidensTheMeasureButNotTheRange) {
    const EnergyVAD overlapping(16000, 1600, 800, 0.02F);
    // Frame 0 is silent on its own but reaches 800 samples into the loud frame 1.
    const auto samples = frames({false, true, false});
    EXPECT_THAT(overlapping.voiceActivity(samples), ElementsAre(true, true, false));
    EXPECT_THAT(overlapping.calculateActiveChunks(samples), ElementsAre(Range{0, 3200}));
}

TEST(EnergyVADTests, ActiveRangesFollowRunsOfActiveFramesClampedToTheAudio) {
    const EnergyVAD detector;
    const auto samples = frames({false, true, true, false, true}, 600);
    ASSERT_EQ(samples.size(), 7000u);
    EXPECT_THAT(detector.calculateActiveChunks(samples), ElementsAre(Range{1600, 4800}, Range{6400, 7000}));
}

TEST(EnergyVADTests, LongestSilenceIsTheEarliestLongestRun) {
    const EnergyVAD detector;
    EXPECT_EQ(detector.findLongestSilence({true, false, false, true, false, false}), (Range{1, 3}));
    EXPECT_EQ(detector.findLongestSilence({false, false}), (Range{0, 2}));
    EXPECT_EQ(detector.findLongestSilence({false, true, false, false, false}), (Range{2, 5}));
    EXPECT_EQ(detector.findLongestSilence({true, true}), std::nullopt);
    EXPECT_EQ(detector.findLongestSilence({}), std::nullopt);
}

} // namespace
} // namespace hushframe
