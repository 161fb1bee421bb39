#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"

#include <gtest/gtest.h>

#include <type_traits>

using namespace razeziruzer;

namespace {

TEST(ContextBiasingConstants, RescorerConfigBandsByVocabularySize) {
    struct Case {
        int size;
        float minSimilarity;
    };
    for (const auto& c : std::vector<Case>{{-4, 0.50f}, {0, 0.50f}, {10, 0.50f}, {11, 0.55f}, {100, 0.55f},
                                           {101, 0.60f}, {5000, 0.60f}}) {
        const auto config = ContextBiasingConstants::rescorerConfig(c.size);
        EXPECT_EQ(config.minSimilarity, c.minSimilarity) << "size " << c.size;
        EXPECT_EQ(config.cbw, 4.5f) << "size " << c.size;
    }
}

TEST(ContextBiasingConstants, MarginIsTheOnlyDoubleAndSearchIsOff) {
    static_assert(std::is_same_v<std::remove_cv_t<decltype(ContextBiasingConstants::defaultMarginSeconds)>, double>);
    static_assert(std::is_same_v<std::remove_cv_t<decltype(ContextBiasingConstants::defaultCbw)>, float>);
    EXPECT_EQ(ContextBiasingConstants::defaultMarginSeconds, 0.1);
    EXPECT_FALSE(ContextBiasingConstants::useBkTree);
    EXPECT_EQ(ContextBiasingConstants::wildcardTokenId, -1);
    EXPECT_EQ(ContextBiasingConstants::defaultBlankId, 1024);
}

} // namespace
