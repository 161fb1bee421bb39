#include "Hushframe/Decoding/TemperatureSchedule.hpp"
#include "Hushframe/Decoding/TextUtilities.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace hushframe {
namespace {

TEST(TextUtilitiesTests, RepetitionCompressesFarAboveTheThresholdAndVariedTokensDoNot) {
    const std::vector<int> repeated(100, 1234);
    EXPECT_GT(TextUtilities::compressionRatio(repeated), 10.0F);
    const std::vector<int> varied{50258, 50259, 50359, 50364, 634, 1652, 12, 50414};
    EXPECT_LT(TextUtilities::compressionRatio(varied), 2.4F);
    // Token ids are measured as 4-byte integers: the same ids as text differ.
    EXPECT_NE(TextUtilities::compressionRatio(std::string(400, 'a')), TextUtilities::compressionRatio(repeated));
}

TEST(TextUtilitiesTests, AnEmptyTextCannotBeMeasured) {
    EXPECT_TRUE(std::isinf(TextUtilities::compressionRatio(std::string_view())));
    EXPECT_GT(TextUtilities::compressionRatio(std::string_view("the the the the the the the the the the")), 1.0F);
}

TEST(TemperatureScheduleTests, OneTemperaturePerAttempt) {
    struct Case {
        const char* name;
        DecodingOptions options;
        std::vector<float> expected;
    };
    const std::vector<Case> cases{
        {"defaults", DecodingOptions(), {0.0F, 0.2F, 0.4F, 0.6F, 0.8F, 1.0F}},
        {"no fallback", DecodingOptions({.temperatureFallbackCount = 0}), {0.0F}},
        {"from 0.5 by 0.25", DecodingOptions({.temperature = 0.5F, .temperatureIncrementOnFallback = 0.25F,
                                              .temperatureFallbackCount = 2}),
         {0.5F, 0.75F, 1.0F}},
        {"negative count is one attempt", DecodingOptions({.temperatureFallbackCount = -3}), {0.0F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto schedule = temperatureSchedule(c.options);
        ASSERT_EQ(schedule.size(), c.expected.size());
        for (std::size_t i = 0; i < schedule.size(); ++i) EXPECT_FLOAT_EQ(schedule[i], c.expected[i]);
    }
}

} // namespace
} // namespace hushframe
