#include "RazeziRuzer/Diarizer/Core/DiarizationResult.hpp"
#include "RazeziRuzer/Diarizer/Core/DiarizerConfig.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

TEST(DiarizerRecordsTests, ConfigDefaults) {
    const auto& config = DiarizerConfig::default_();
    EXPECT_FLOAT_EQ(config.clusteringThreshold, 0.7f);
    EXPECT_FLOAT_EQ(config.minSpeechDuration, 1.0f);
    EXPECT_FLOAT_EQ(config.minEmbeddingUpdateDuration, 2.0f);
    EXPECT_FLOAT_EQ(config.minSilenceGap, 0.5f);
    EXPECT_EQ(config.numClusters, -1);
    EXPECT_FLOAT_EQ(config.minActiveFramesCount, 10.0f);
    EXPECT_FALSE(config.debugMode);
    EXPECT_FLOAT_EQ(config.chunkDuration, 10.0f);
    EXPECT_FLOAT_EQ(config.chunkOverlap, 0.0f);
}

TEST(DiarizerRecordsTests, SegmentsHaveTheirOwnIdentityAndSignedDuration) {
    const TimedSpeakerSegment a("1", {}, 3.0f, 1.5f, 0.9f);
    const TimedSpeakerSegment b("1", {}, 3.0f, 1.5f, 0.9f);
    EXPECT_NE(a.id, b.id);
    EXPECT_FLOAT_EQ(a.durationSeconds(), -1.5f);
}

TEST(DiarizerRecordsTests, TimingTotalsShareAndBottleneck) {
    struct Case {
        const char* name;
        PipelineTimings timings;
        std::string bottleneck;
        std::size_t percentages;
    };
    const Case cases[] = {
        {"one to six", {1, 2, 3, 4, 5, 6}, "Post Processing", 6},
        {"all zero", {0, 0, 0, 0, 0, 0}, "Model Compilation", 0},
        {"tie goes to the earlier stage", {5, 1, 5, 0, 0, 0}, "Model Compilation", 6},
        {"NaN never wins", {1, NAN, 0, 0, 0, 0}, "Model Compilation", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.timings.bottleneckStage(), c.bottleneck);
        EXPECT_EQ(c.timings.stagePercentages().size(), c.percentages);
    }
    const PipelineTimings timings(1, 2, 3, 4, 5, 6);
    EXPECT_DOUBLE_EQ(timings.totalInferenceSeconds, 12);
    EXPECT_DOUBLE_EQ(timings.totalProcessingSeconds, 21);
    EXPECT_DOUBLE_EQ(timings.stagePercentages().at("Post Processing"), 6.0 / 21.0 * 100);
}

TEST(DiarizerRecordsTests, TimingsAndChunkEmbeddingsRoundTripByFieldName) {
    const PipelineTimings timings(1, 2, 3, 4, 5, 6);
    auto json = timings.toJSON();
    EXPECT_EQ(json.begin().key(), "modelCompilationSeconds");
    EXPECT_EQ((--json.end()).key(), "totalProcessingSeconds");
    json["totalProcessingSeconds"] = 99.0;
    EXPECT_DOUBLE_EQ(PipelineTimings::fromJSON(json).totalProcessingSeconds, 99.0);
    json.erase("audioLoadingSeconds");
    EXPECT_THROW(PipelineTimings::fromJSON(json), nlohmann::json::exception);

    const ChunkEmbedding chunk{"2", 3, 1, 30.0, 40.0, {0.5f, 0.25f}, {1.0, 2.0}};
    auto stored = nlohmann::ordered_json::parse(chunk.toJSON().dump());
    EXPECT_EQ(ChunkEmbedding::fromJSON(stored), chunk);
    stored.erase("rho128");
    EXPECT_THROW(ChunkEmbedding::fromJSON(stored), nlohmann::json::exception);
    stored = chunk.toJSON();
    stored["chunkIndex"] = "three";
    EXPECT_THROW(ChunkEmbedding::fromJSON(stored), nlohmann::json::exception);
}

} // namespace
} // namespace razeziruzer
