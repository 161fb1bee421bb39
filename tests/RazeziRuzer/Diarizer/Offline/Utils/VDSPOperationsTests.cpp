#include "RazeziRuzer/Diarizer/Offline/Utils/VDSPOperations.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

TEST(VDSPOperationsTests, L2Normalize) {
    const std::vector<float> v{3, 4};
    const auto unit = VDSPOperations::l2Normalize(v);
    EXPECT_FLOAT_EQ(unit[0], 0.6f);
    EXPECT_FLOAT_EQ(unit[1], 0.8f);
    EXPECT_TRUE(VDSPOperations::l2Normalize(std::vector<float>{}).empty());
    EXPECT_EQ(VDSPOperations::l2Normalize(std::vector<float>{0, 0}), (std::vector<float>{0, 0}));
    EXPECT_TRUE(std::isnan(VDSPOperations::l2Normalize(std::vector<float>{1, INFINITY})[1]));
}

TEST(VDSPOperationsTests, LogSumExp) {
    EXPECT_NEAR(VDSPOperations::logSumExp(std::vector<float>{0, 0}), std::log(2.0f), 1e-6);
    EXPECT_EQ(VDSPOperations::logSumExp(std::vector<float>{}), -INFINITY);
    EXPECT_FLOAT_EQ(VDSPOperations::logSumExp(std::vector<float>{5}), 5.0f);
    EXPECT_NEAR(VDSPOperations::logSumExp(std::vector<float>{1000, 1000}), 1000 + std::log(2.0f), 1e-3);
}

} // namespace
} // namespace razeziruzer
