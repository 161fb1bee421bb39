#include "RazeziRuzer/Diarizer/Offline/Utils/OfflineReconstruction.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using Clusters = std::vector<std::vector<std::int64_t>>;

OfflineReconstruction reconstruction(double minSegment = 0.0, double gap = 0.0, bool exclusive = false) {
    auto config = OfflineDiarizerConfig::defaultConfig();
    config.embedding.minSegmentDurationSeconds = minSegment;
    config.postProcessing.minGapDurationSeconds = gap;
    config.postProcessing.exclusiveSegments = exclusive;
    return OfflineReconstruction{config};
}

// One window per entry of `weights` (frames x local speakers), fd 1 s.
SegmentationOutput segmentation(std::vector<FrameRows> weights, std::vector<double> offsets, std::int64_t speakers) {
    SegmentationOutput out;
    out.numChunks = static_cast<std::int64_t>(weights.size());
    out.numFrames = static_cast<std::int64_t>(weights.front().size());
    out.numSpeakers = speakers;
    out.speakerWeights = std::move(weights);
    out.chunkOffsets = std::move(offsets);
    out.frameDuration = 1.0;
    return out;
}

struct Span {
    std::string speaker;
    double start, end;
    float quality;
};

std::vector<Span> spans(const std::vector<TimedSpeakerSegment>& segments) {
    std::vector<Span> out;
    for (const auto& s : segments) out.push_back({s.speakerId, s.startTimeSeconds, s.endTimeSeconds, s.qualityScore});
    return out;
}

void expectSpans(const std::vector<TimedSpeakerSegment>& segments, const std::vector<Span>& expected) {
    const auto actual = spans(segments);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("segment " + std::to_string(i));
        EXPECT_EQ(actual[i].speaker, expected[i].speaker);
        EXPECT_DOUBLE_EQ(actual[i].start, expected[i].start);
        EXPECT_DOUBLE_EQ(actual[i].end, expected[i].end);
        EXPECT_NEAR(actual[i].quality, expected[i].quality, 1e-6);
    }
}

TEST(OfflineReconstructionTests, OneWindowOneSpeaker) {
    platform::ScopedLogCapture capture;
    const auto seg = segmentation({{{0.9f}, {0.9f}, {0.1f}}}, {0.0}, 1);
    const std::vector<std::vector<double>> centroids{{0.5, -0.25}};
    const auto segments = reconstruction().buildSegments(seg, {{0}}, centroids);
    expectSpans(segments, {{"S1", 0, 2, 0.9f}});
    EXPECT_EQ(segments[0].embedding, (std::vector<float>{0.5f, -0.25f}));
    EXPECT_TRUE(capture.contains("Speaker-count histogram 0:1, 1:2"));
    // A minimum duration above 2 s drops it.
    EXPECT_TRUE(reconstruction(2.5).buildSegments(seg, {{0}}, centroids).empty());
}

TEST(OfflineReconstructionTests, DegenerateInputsGiveNoSegments) {
    auto seg = segmentation({{{0.9f}}}, {0.0}, 1);
    seg.frameDuration = 0;
    EXPECT_TRUE(reconstruction().buildSegments(seg, {{0}}, {{1.0}}).empty());
    seg.frameDuration = 1;
    seg.numChunks = 0;
    EXPECT_TRUE(reconstruction().buildSegments(seg, {{0}}, {{1.0}}).empty());
}

TEST(OfflineReconstructionTests, OverlappingWindowsAverageOnSharedFrames) {
    // Window 0 covers frames 0-1, window 1 frames 1-2; frame 1 gets both.
    const auto seg = segmentation({{{0.9f}, {0.8f}}, {{0.4f}, {0.7f}}}, {0.0, 1.0}, 1);
    const auto segments = reconstruction().buildSegments(seg, {{0}, {0}}, {{1.0}});
    // Activities 0.9, (0.8 + 0.4) / 2, 0.7; the count of frame 1 is round(0.6) = 1.
    expectSpans(segments, {{"S1", 0, 3, (0.9f + 0.6f + 0.7f) / 3}});
}

TEST(OfflineReconstructionTests, UnmappedSpeakersAndMissingMapsAreSkipped) {
    // Local speaker 1 has no cluster (-2); window 1 has no map at all.
    const auto seg = segmentation({{{0.9f, 0.9f}, {0.9f, 0.9f}}, {{0.9f, 0.0f}, {0.9f, 0.0f}}}, {0.0, 2.0}, 2);
    const auto segments = reconstruction().buildSegments(seg, {{1, -2}}, {{1.0}, {2.0}});
    expectSpans(segments, {{"S2", 0, 2, 0.9f}});
    EXPECT_EQ(segments[0].embedding, std::vector<float>{2.0f});
}

TEST(OfflineReconstructionTests, NoPhantomSpeakerWhenTheCountExceedsTheActiveClusters) {
    // The summed weights say two speakers, but only cluster 1 is mapped: the
    // second place would go to cluster 0, which nothing supports.
    const auto seg = segmentation({{{0.9f, 0.9f}, {0.9f, 0.9f}}}, {0.0}, 2);
    const auto segments = reconstruction().buildSegments(seg, {{1, -2}}, {{1.0}, {2.0}});
    expectSpans(segments, {{"S2", 0, 2, 0.9f}});
}

TEST(OfflineReconstructionTests, SpeakerCountRoundsHalvesToEven) {
    // Frame totals 0.5, 1.5 and 2.5 give counts 0, 2 and 2.
    const auto seg = segmentation({{{0.5f, 0.0f}, {0.75f, 0.75f}, {1.25f, 1.25f}}}, {0.0}, 2);
    const auto segments = reconstruction().buildSegments(seg, {{0, 1}}, {{1.0}, {2.0}});
    expectSpans(segments, {{"S1", 1, 3, 1.0f}, {"S2", 1, 3, 1.0f}});
}

TEST(OfflineReconstructionTests, TwoSpeakersTakeTurns) {
    const auto seg = segmentation({{{0.8f, 0.0f}, {0.8f, 0.0f}, {0.0f, 0.6f}, {0.0f, 0.6f}, {0.7f, 0.0f}}}, {0.0}, 2);
    const auto segments = reconstruction().buildSegments(seg, {{0, 1}}, {{1.0}, {2.0}});
    expectSpans(segments, {{"S1", 0, 2, 0.8f}, {"S2", 2, 4, 0.6f}, {"S1", 4, 5, 0.7f}});
}

TEST(OfflineReconstructionTests, MergeJoinsOneSpeakerAcrossSmallGaps) {
    const auto r = reconstruction();
    std::vector<TimedSpeakerSegment> segments{{"S2", {}, 0.0, 4.0, 0.5f}, {"S2", {}, 4.5, 5.5, 1.0f},
                                              {"S1", {}, 5.6, 6.0, 0.2f}};
    expectSpans(r.mergeSegments(segments, 0.5), {{"S2", 0, 5.5, (4 * 0.5f + 1 * 1.0f) / 5}, {"S1", 5.6, 6, 0.2f}});
    expectSpans(r.mergeSegments(segments, 0.49), {{"S2", 0, 4, 0.5f}, {"S2", 4.5, 5.5, 1.0f}, {"S1", 5.6, 6, 0.2f}});
    // Runs of different speakers never merge.
    expectSpans(r.mergeSegments({{"S1", {}, 0, 1, 1}, {"S2", {}, 1, 2, 1}}, 5), {{"S1", 0, 1, 1}, {"S2", 1, 2, 1}});
}

TEST(OfflineReconstructionTests, ExclusiveSegmentsAreCutApart) {
    const auto r = reconstruction(0.5, 0.1, true);
    const std::vector<TimedSpeakerSegment> segments{
        {"S1", {}, 0.0, 2.5, 0.8f}, {"S2", {}, 1.0, 3.0, 0.8f}, {"S3", {}, 1.2, 2.0, 0.9f}};
    expectSpans(r.sanitize(segments), {{"S1", 0, 2.5, 0.8f}, {"S2", 2.5, 3.0, 0.2f}});
    // A remainder shorter than the minimum segment is dropped.
    expectSpans(reconstruction(0.6, 0.1, true).sanitize(segments), {{"S1", 0, 2.5, 0.8f}});
}

TEST(OfflineReconstructionTests, TimesKeepDoublePrecisionOnLongRecordings) {
    // Ten hours in: single precision would round 36000.0001 to 36000.
    const auto r = reconstruction();
    const auto merged = r.mergeSegments({{"S1", {}, 36000.0001, 36001.0003, 1}}, 0.1);
    EXPECT_DOUBLE_EQ(merged[0].startTimeSeconds, 36000.0001);
    EXPECT_DOUBLE_EQ(merged[0].endTimeSeconds, 36001.0003);
}

TEST(OfflineReconstructionTests, SpeakerDatabaseIsTheMeanEmbedding) {
    const std::vector<TimedSpeakerSegment> segments{
        {"S1", {1, 2}, 0, 1, 1}, {"S2", {5, 5}, 1, 2, 1}, {"S1", {3, 4}, 2, 3, 1}};
    const auto database = reconstruction().buildSpeakerDatabase(segments);
    EXPECT_EQ(database.at("S1"), (std::vector<float>{2, 3}));
    EXPECT_EQ(database.at("S2"), (std::vector<float>{5, 5}));
}

} // namespace
} // namespace razeziruzer
