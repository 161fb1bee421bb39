#include "RazeziRuzer/Diarizer/Clustering/SpeakerUtilities.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

namespace SU = SpeakerUtilities;
using namespace std::chrono_literals;

const SpeakerTimestamp epoch = timestampFromSeconds(1'700'000'000);

std::vector<RawEmbedding> history(int count, int firstSecond) {
    std::vector<RawEmbedding> raws;
    for (int i = 0; i < count; ++i) {
        raws.emplace_back(platform::Uuid(), std::vector<float>{1, 0}, epoch + std::chrono::seconds(firstSecond + i));
    }
    return raws;
}

TEST(SpeakerUtilitiesTests, CosineDistance) {
    const std::vector<float> v{1, 2, 3};
    EXPECT_NEAR(SU::cosineDistance(v, v), 0.0f, 1e-6);
    EXPECT_NEAR(SU::cosineDistance(v, std::vector<float>{-1, -2, -3}), 2.0f, 1e-6);
    EXPECT_NEAR(SU::cosineDistance(std::vector<float>{1, 0}, std::vector<float>{0, 3}), 1.0f, 1e-6);
    platform::ScopedLogCapture capture;
    EXPECT_TRUE(std::isinf(SU::cosineDistance(std::vector<float>{1, 0, 0}, std::vector<float>{1, 0, 0, 0})));
    EXPECT_TRUE(capture.contains("Invalid embeddings: a.count=3, b.count=4"));
    EXPECT_TRUE(std::isinf(SU::cosineDistance(v, std::vector<float>{0, 0, 0})));
    EXPECT_TRUE(capture.contains("Zero magnitude embedding detected"));
    // Near-unit vectors are compared by their plain dot product.
    const std::vector<float> a{std::sqrt(1.0005f), 0};
    const std::vector<float> b{std::sqrt(0.9995f), 0};
    EXPECT_FLOAT_EQ(SU::cosineDistance(a, b), 1 - std::min(a[0] * b[0], 1.0f));
}

TEST(SpeakerUtilitiesTests, AssignmentDecisions) {
    struct Case {
        const char* name;
        float distance, duration;
        SU::AssignmentConfig config;
        bool assign, update;
        const char* reason;
    };
    const auto mac = SU::AssignmentConfig::macOS();
    const Case cases[] = {
        {"very close, short", 0.1f, 2.0f, mac, true, false, "Very high confidence match"},
        {"very close, long", 0.1f, 4.0f, mac, true, true, "Very high confidence match"},
        {"close enough, long", 0.4f, 5.0f, mac, true, true, "Sufficient confidence and duration"},
        {"too far to update", 0.5f, 5.0f, mac, true, false, "Sufficient confidence and duration"},
        {"too short", 0.5f, 0.5f, mac, false, false, "Duration too short"},
        {"too far", 0.7f, 5.0f, mac, false, false, "Distance too far"},
        {"too far on the smaller preset", 0.6f, 5.0f, SU::AssignmentConfig::iOS(), false, false, "Distance too far"},
        // Boundaries: 0.2 is no longer very close; the update limit is inclusive, the assignment limit is not.
        {"exactly 0.2, short", 0.2f, 2.0f, mac, true, false, "Sufficient confidence and duration"},
        {"exactly the update limit", 0.45f, 5.0f, mac, true, true, "Sufficient confidence and duration"},
        {"exactly the assignment limit", 0.65f, 5.0f, mac, false, false, "Distance too far"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decision = SU::shouldAssignSpeaker(c.distance, c.duration, c.config);
        EXPECT_EQ(decision.shouldAssign, c.assign);
        EXPECT_EQ(decision.shouldUpdate, c.update);
        EXPECT_EQ(decision.reason, c.reason);
        EXPECT_FLOAT_EQ(decision.confidence, 1 - c.distance);
    }
}

TEST(SpeakerUtilitiesTests, EmbeddingChecksAndCreation) {
    platform::ScopedLogCapture capture;
    EXPECT_FALSE(SU::validateEmbedding(std::vector<float>{0.05f, 0.05f}));
    EXPECT_TRUE(capture.contains("Low magnitude embedding: 0.0707"));
    EXPECT_FALSE(SU::validateEmbedding(std::vector<float>{1, NAN}));
    EXPECT_FALSE(SU::validateEmbedding(std::vector<float>{1, INFINITY}));
    EXPECT_TRUE(capture.contains("Embedding contains NaN or Inf"));
    EXPECT_FALSE(SU::validateEmbedding(std::vector<float>{0.5f}, 0.5f));
    EXPECT_TRUE(SU::validateEmbedding(std::vector<float>{3, 4}));

    const auto failed = SU::validateSpeakerCreation("7", std::nullopt, 3.5f, std::vector<float>{3, 4},
                                                    SU::AssignmentConfig::macOS());
    ASSERT_TRUE(std::holds_alternative<SU::SpeakerCreationFailure>(failed));
    EXPECT_EQ(std::get<SU::SpeakerCreationFailure>(failed).reason, "Duration 3.5 < minimum 4.0");
    const auto created = SU::createSpeaker("7", std::nullopt, 4.0f, std::vector<float>{3, 4},
                                           SU::AssignmentConfig::macOS());
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(created->name, "Speaker 7");
    EXPECT_FLOAT_EQ(created->currentEmbedding[0], 0.6f);
    EXPECT_FALSE(SU::createSpeaker("8", std::nullopt, 1.0f, std::vector<float>{3, 4}, SU::AssignmentConfig::macOS()));
    EXPECT_TRUE(capture.contains("Failed to create speaker: Duration 1.0 < minimum 4.0"));
}

TEST(SpeakerUtilitiesTests, RawEmbeddingLists) {
    const auto full = history(50, 0);
    const auto added = SU::addRawEmbedding(full, platform::Uuid(), std::vector<float>{0, 1}, epoch + 100s, 50);
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->updated.size(), 50u);
    EXPECT_EQ(added->updated.front().timestamp, epoch + 1s);
    EXPECT_EQ(added->updated.back().timestamp, epoch + 100s);
    EXPECT_FALSE(SU::addRawEmbedding(history(1, 0), platform::Uuid(), std::vector<float>{0, 1}, epoch, 50)->shouldRecalculate);
    EXPECT_TRUE(SU::addRawEmbedding(history(2, 0), platform::Uuid(), std::vector<float>{0, 1}, epoch, 50)->shouldRecalculate);
    EXPECT_EQ(SU::addRawEmbedding(history(60, 0), platform::Uuid(), std::vector<float>{0, 1}, epoch, 50)->updated.size(), 60u);
    EXPECT_FALSE(SU::addRawEmbedding(full, platform::Uuid(), std::vector<float>{0, 0}, epoch, 50).has_value());

    const auto one = history(1, 0);
    const auto removal = SU::removeRawEmbedding(one, one.front().segmentId);
    EXPECT_TRUE(removal.updated.empty());
    EXPECT_TRUE(removal.removed.has_value());
    EXPECT_FALSE(removal.shouldRecalculate);

    const auto merged = SU::mergeSpeakers(history(30, 0), 3.0f, history(30, 100), 4.5f, 50);
    ASSERT_EQ(merged.mergedRaw.size(), 50u);
    EXPECT_EQ(merged.mergedRaw.front().timestamp, epoch + 10s);  // the oldest kept comes first
    EXPECT_EQ(merged.mergedRaw.back().timestamp, epoch + 129s);
    EXPECT_FLOAT_EQ(merged.mergedDuration, 7.5f);
    const auto small = SU::mergeSpeakers(history(20, 50), 0, history(20, 0), 0, 50);
    EXPECT_EQ(small.mergedRaw[20].timestamp, epoch);

    const auto mean = SU::averageEmbeddings({{1, 0}, {0, 1, 0}, {0, 1}});
    ASSERT_TRUE(mean.has_value());
    EXPECT_NEAR((*mean)[0], 0.70710677f, 1e-6);
    EXPECT_NEAR((*mean)[1], 0.70710677f, 1e-6);
}

TEST(SpeakerUtilitiesTests, UpdatesAndClosestCandidates) {
    EXPECT_FALSE(SU::updateSpeakerWithSegment(std::vector<float>{1, 0}, {}, 1.0f, 0.99f, std::vector<float>{0, 1},
                                              platform::Uuid(), 0.9f, 1.0f));
    const auto update = SU::updateSpeakerWithSegment(std::vector<float>{1, 0}, {}, 1.0f, 1.0f,
                                                     std::vector<float>{0, 1}, platform::Uuid(), 0.0f, 1.0f);
    ASSERT_TRUE(update.has_value());
    EXPECT_FLOAT_EQ(update->updatedDuration, 2.0f);
    EXPECT_NEAR((*update->updatedMainEmbedding)[1], 1.0f, 1e-6);
    EXPECT_EQ(update->updatedRawEmbeddings.size(), 1u);

    const Speaker first("a", std::nullopt, std::vector<float>{1, 1});
    const Speaker second("b", std::nullopt, std::vector<float>{1, 1});
    const auto closest = SU::findClosestSpeaker(std::vector<float>{1, 0}, {first, second});
    ASSERT_TRUE(closest.speaker.has_value());
    EXPECT_EQ(closest.speaker->id, "a");
    EXPECT_FALSE(SU::findClosestSpeaker(std::vector<float>{1, 0}, {}).speaker.has_value());
}

} // namespace
} // namespace razeziruzer
