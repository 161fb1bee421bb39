#include "RazeziRuzer/Diarizer/Clustering/SpeakerManager.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

using namespace std::chrono_literals;

// A 256-value vector at distance `distance` from axis 0 (cos = 1 - distance).
std::vector<float> atDistance(float distance) {
    std::vector<float> values(256, 0.0f);
    const float c = 1 - distance;
    values[0] = c;
    values[1] = std::sqrt(std::max(0.0f, 1 - c * c));
    return values;
}

std::vector<float> axis(std::size_t index) {
    std::vector<float> values(256, 0.0f);
    values[index] = 1;
    return values;
}

SpeakerManager database() { return SpeakerManager(0.5f, 0.3f, 1.0f, 2.0f); }

void store(SpeakerManager& manager, const std::string& id, std::vector<float> embedding, bool permanent = false) {
    manager.upsertSpeaker(id, std::nullopt, embedding, 1.0f, {}, 1, std::nullopt, std::nullopt, permanent);
}

TEST(SpeakerManagerQueriesTests, FindingIsInclusiveAndSorted) {
    auto manager = database();
    EXPECT_FALSE(manager.findSpeaker(axis(0)).id.has_value());
    store(manager, "far", atDistance(0.9f));
    const auto none = manager.findSpeaker(axis(0));
    EXPECT_FALSE(none.id.has_value());
    EXPECT_TRUE(std::isinf(none.distance));
    store(manager, "c", atDistance(0.45f));
    store(manager, "a", atDistance(0.1f));
    store(manager, "b", atDistance(0.3f));
    const auto matches = manager.findMatchingSpeakers(axis(0));
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[0].first, "a");
    EXPECT_EQ(matches[1].first, "b");
    EXPECT_EQ(matches[2].first, "c");
    EXPECT_EQ(manager.findSpeaker(axis(0), matches[0].second).id, "a");  // distance equal to the threshold
    EXPECT_EQ(manager.findSpeakers([](const Speaker& s) { return s.id < "b"; }), (std::vector<std::string>{"a"}));

    auto numbered = database();
    for (const auto* id : {"2", "10", "1"}) store(numbered, id, axis(0), std::string(id) == "10");
    EXPECT_EQ(numbered.speakerIds(), (std::vector<std::string>{"1", "10", "2"}));
    EXPECT_EQ(numbered.permanentSpeakerIds(), (std::vector<std::string>{"10"}));
    EXPECT_EQ(numbered.speakerCount(), 3);
}

TEST(SpeakerManagerQueriesTests, MergingAndMergeablePairs) {
    auto manager = database();
    store(manager, "1", axis(0));
    store(manager, "2", axis(0));
    manager.mergeSpeaker("2", "1", "Both");
    EXPECT_FALSE(manager.hasSpeaker("2"));
    EXPECT_EQ(manager.getSpeaker("1")->name, "Both");
    EXPECT_FLOAT_EQ(manager.getSpeaker("1")->duration, 2.0f);
    store(manager, "3", axis(0), true);
    manager.mergeSpeaker("3", "1");
    EXPECT_TRUE(manager.hasSpeaker("3"));
    manager.mergeSpeaker("1", "1");
    EXPECT_TRUE(manager.hasSpeaker("1"));

    auto close = database();
    for (const auto* id : {"x", "y", "z"}) store(close, id, axis(0));
    EXPECT_EQ(close.findMergeablePairs().size(), 3u);
    auto permanent = database();
    store(permanent, "a", axis(0), true);
    store(permanent, "b", axis(0));
    EXPECT_EQ(permanent.findMergeablePairs(), (std::vector<SpeakerManager::MergeablePair>{{"b", "a"}}));
    auto reversed = database();
    store(reversed, "a", axis(0));
    store(reversed, "b", axis(0), true);
    EXPECT_EQ(reversed.findMergeablePairs(), (std::vector<SpeakerManager::MergeablePair>{{"a", "b"}}));
}

TEST(SpeakerManagerQueriesTests, RemovalsKeepPermanentSpeakersAndNumbering) {
    auto manager = database();
    manager.assignSpeaker(axis(1), 2.0f);
    manager.assignSpeaker(axis(2), 2.0f);
    manager.makeSpeakerPermanent("1");
    platform::ScopedLogCapture capture;
    manager.removeSpeaker("1");
    EXPECT_TRUE(capture.contains("Failed to remove speaker: 1 (Speaker is permanent)"));
    manager.removeSpeakers([](const Speaker&) { return true; });
    EXPECT_EQ(manager.speakerIds(), (std::vector<std::string>{"1"}));
    manager.removeSpeakers([](const Speaker&) { return true; }, false);
    EXPECT_EQ(manager.speakerCount(), 0);
    EXPECT_EQ(manager.assignSpeaker(axis(3), 2.0f)->id, "3");

    const auto stamp = manager.getSpeaker("3")->updatedAt;
    manager.removeSpeakersInactive(stamp);
    EXPECT_TRUE(manager.hasSpeaker("3"));
    manager.removeSpeakersInactive(stamp + 1ms);
    EXPECT_FALSE(manager.hasSpeaker("3"));
    manager.makeSpeakerPermanent("9");
    EXPECT_TRUE(capture.contains("Failed to mark speaker 9 as permanent (speaker not found)."));
}

TEST(SpeakerManagerQueriesTests, ReassigningSegmentsAndStatistics) {
    auto manager = database();
    manager.assignSpeaker(axis(1), 2.0f);
    manager.assignSpeaker(axis(2), 2.0f);
    const auto segment = manager.getSpeaker("1")->rawEmbeddings.front().segmentId;
    EXPECT_TRUE(manager.reassignSegment(segment, "1", "2"));
    EXPECT_TRUE(manager.getSpeaker("1")->rawEmbeddings.empty());
    EXPECT_EQ(manager.getSpeaker("2")->rawEmbeddings.back().segmentId, segment);
    platform::ScopedLogCapture capture;
    EXPECT_FALSE(manager.reassignSegment(segment, "1", "2"));
    EXPECT_TRUE(capture.contains("Segment " + segment.toString() + " not found in speaker 1"));
    EXPECT_TRUE(manager.reassignSegment(segment, "2", "2"));
    EXPECT_EQ(manager.getSpeaker("2")->rawEmbeddings.size(), 2u);

    auto stats = database();
    EXPECT_EQ(stats.getGlobalSpeakerStats().totalSpeakers, 0);
    stats.upsertSpeaker("a", std::nullopt, axis(0), 12.5f, {}, 30, std::nullopt, std::nullopt, false);
    stats.upsertSpeaker("b", std::nullopt, axis(0), 7.5f,
                        {RawEmbedding(platform::Uuid(), axis(0), std::chrono::system_clock::now())}, 20, std::nullopt,
                        std::nullopt, false);
    const auto global = stats.getGlobalSpeakerStats();
    EXPECT_EQ(global.totalSpeakers, 2);
    EXPECT_FLOAT_EQ(global.totalDuration, 20.0f);
    EXPECT_FLOAT_EQ(global.averageConfidence, 1.0f);
    EXPECT_EQ(global.speakersWithHistory, 1);
    EXPECT_TRUE(capture.contains("Global stats - Speakers: 2, Duration: 20.0s, Avg confidence: 2.50, With history: 1"));
}

} // namespace
} // namespace razeziruzer
