#include "RazeziRuzer/Diarizer/Offline/Extraction/WeightInterpolation.hpp"

#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using WeightInterpolation::InterpolationCoefficients;
using Values = std::vector<float>;

struct Case {
    const char* name;
    std::int64_t from, to;
    Values input, expected;
};

class WeightInterpolationCases : public testing::TestWithParam<Case> {};

TEST_P(WeightInterpolationCases, Resamples) {
    const auto& c = GetParam();
    const InterpolationCoefficients coefficients(c.from, c.to);
    const auto output = coefficients.interpolate(c.input);
    ASSERT_EQ(output.size(), c.expected.size());
    for (std::size_t i = 0; i < output.size(); ++i) EXPECT_FLOAT_EQ(output[i], c.expected[i]) << i;
    for (std::size_t i = 0; i < coefficients.lowerIndices.size(); ++i) {
        EXPECT_LE(coefficients.lowerIndices[i], coefficients.upperIndices[i]);
        EXPECT_LE(coefficients.upperIndices[i], c.from - 1);
        EXPECT_FLOAT_EQ(coefficients.lowerWeights[i] + coefficients.upperWeights[i], 1.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, WeightInterpolationCases,
    testing::Values(Case{"same", 5, 5, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
                    Case{"up", 2, 4, {0, 1}, {0, 0.25f, 0.75f, 1}},
                    Case{"down", 4, 2, {1, 0, 0, 1}, {0.5f, 0.5f}},
                    Case{"single", 1, 3, {0.7f}, {0.7f, 0.7f, 0.7f}},
                    Case{"empty", 4, 3, {}, {}},
                    // Six frames onto three: the output cells sit at 0.5, 2.5 and 4.5.
                    Case{"coarse", 6, 3, {0, 10, 20, 30, 40, 50}, {5, 25, 45}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(WeightInterpolationTests, TooShortAnInputIsAnError) {
    const InterpolationCoefficients coefficients(4, 2);
    EXPECT_EQ(coefficients.maxSourceIndex, 3);
    EXPECT_THROW(coefficients.interpolate(Values{1, 2, 3}), OfflineDiarizationError);
}

} // namespace
} // namespace razeziruzer
