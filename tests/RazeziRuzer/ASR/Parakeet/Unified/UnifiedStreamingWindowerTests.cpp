#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedStreamingWindower.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using Plan = UnifiedStreamingWindower::Plan;

TEST(UnifiedStreamingWindowerTests, StandardSequenceThenFinalFlush) {
    UnifiedStreamingWindower windower{UnifiedConfig{}};
    EXPECT_EQ(windower.nextWindow(33279, false), std::nullopt);
    EXPECT_EQ(windower.consumedSamples, 0);

    std::vector<Plan> plans;
    while (auto plan = windower.nextWindow(133120, false)) plans.push_back(*plan);
    ASSERT_EQ(plans.size(), 7u);
    EXPECT_EQ(plans[0], (Plan{0, 33280, 0, 13}));
    EXPECT_EQ(plans[1], (Plan{0, 49920, 0, 13}));
    EXPECT_EQ(plans[5], (Plan{0, 116480, 0, 13}));
    EXPECT_EQ(plans[6], (Plan{10240, 133120, 8, 13}));

    EXPECT_EQ(windower.nextWindow(140000, true), (Plan{17920, 140000, 14, 0}));
    EXPECT_TRUE(windower.finalFlushEmitted);
    EXPECT_EQ(windower.nextWindow(500000, true), std::nullopt);
    EXPECT_EQ(windower.nextWindow(500000, false), std::nullopt);
}

TEST(UnifiedStreamingWindowerTests, FinalWindowCases) {
    struct Case {
        const char* name;
        std::int64_t consumedBefore;
        std::int64_t total;
        std::optional<Plan> expected;
        bool finalAfter;
    };
    const Case cases[] = {
        {"short stream is one final window", 0, 10000, Plan{0, 10000, 0, 0}, true},
        {"no audio gives nothing", 0, 0, std::nullopt, false},
        {"exactly the first target is final", 0, 33280, Plan{0, 33280, 0, 0}, true},
        {"more than the target: ordinary first", 0, 40000, Plan{0, 33280, 0, 13}, false},
        {"nothing new still flushes the held-back frames", 33280, 33280, Plan{0, 33280, 0, 0}, true},
        {"consumed beyond the total gives nothing", 49920, 40000, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UnifiedStreamingWindower windower{UnifiedConfig{}};
        windower.consumedSamples = c.consumedBefore;
        EXPECT_EQ(windower.nextWindow(c.total, true), c.expected);
        EXPECT_EQ(windower.finalFlushEmitted, c.finalAfter);
    }
}

TEST(UnifiedStreamingWindowerTests, FinalStartIsRoundedUpToAWholeFrame) {
    UnifiedStreamingWindower windower{UnifiedConfig{}};
    windower.consumedSamples = 133120;
    const auto plan = windower.nextWindow(133121, true);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->startSample % 1280, 0);
    EXPECT_EQ(plan->startSample, 11520);  // 133121 - 122880 = 10241, rounded up to 9 frames
    windower.reset();
    EXPECT_EQ(windower.consumedSamples, 0);
    EXPECT_EQ(windower.decodedFrames, 0);
    EXPECT_FALSE(windower.finalFlushEmitted);
}

} // namespace
} // namespace razeziruzer
