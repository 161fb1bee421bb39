#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

TEST(ASRConstantsTests, EncoderFramesRoundUp) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {1280, 1}, {1281, 2}, {240000, 188}};
    for (const auto& [samples, frames] : cases) EXPECT_EQ(ASRConstants::calculateEncoderFrames(samples), frames);
}

TEST(ASRConstantsTests, MinimumSamplesTruncate) {
    EXPECT_EQ(ASRConstants::minimumRequiredSamples(16000), 4800);
    EXPECT_EQ(ASRConstants::minimumRequiredSamples(44100), 13230);
    EXPECT_EQ(ASRConstants::sentencePieceWordBoundary, "\xE2\x96\x81");
}

} // namespace
} // namespace razeziruzer
