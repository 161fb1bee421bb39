#include "RazeziRuzer/Shared/ASRPerformanceMetrics.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace razeziruzer {
namespace {

ASRPerformanceMetrics sample() {
    return {0.0125, 1.5, 0.25, 2.0, 37.56f, 512.04f, std::nullopt};
}

TEST(ASRPerformanceMetricsTests, Summary) {
    auto metrics = sample();
    EXPECT_EQ(metrics.summary(),
              "Performance Metrics:\n- Preprocessor: 0.013s\n- Encoder: 1.500s\n- Decoder: 0.250s\n- Total: 2.000s\n"
              "- RTFx: 37.6x real-time\n- Peak Memory: 512.0 MB\n- GPU Utilization: N/A");
    metrics.gpuUtilization = 12.34f;
    EXPECT_TRUE(metrics.summary().ends_with("\n- GPU Utilization: 12.3%"));
}

TEST(ASRPerformanceMetricsTests, JsonRoundTripAndOptionalGpuKey) {
    auto metrics = sample();
    nlohmann::ordered_json json = metrics;
    EXPECT_FALSE(json.contains("gpuUtilization"));
    EXPECT_EQ(json.size(), 6u);
    EXPECT_EQ(json.get<ASRPerformanceMetrics>(), metrics);

    metrics.gpuUtilization = 40.0f;
    json = metrics;
    EXPECT_EQ(json.at("gpuUtilization").get<float>(), 40.0f);
    EXPECT_EQ(json.get<ASRPerformanceMetrics>(), metrics);
}

TEST(ASRPerformanceMetricsTests, DecodingNeedsEveryOtherKeyWithItsType) {
    nlohmann::ordered_json json = sample();
    auto missing = json;
    missing.erase("rtfx");
    EXPECT_THROW(missing.get<ASRPerformanceMetrics>(), nlohmann::ordered_json::exception);
    auto wrongType = json;
    wrongType["encoderTime"] = "fast";
    EXPECT_THROW(wrongType.get<ASRPerformanceMetrics>(), nlohmann::ordered_json::exception);
}

} // namespace
} // namespace razeziruzer
