#include "RazeziRuzer/Diarizer/Clustering/SpeakerManager.hpp"
#include "RazeziRuzer/Diarizer/Clustering/SpeakerUtilities.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

// A 256-value unit vector along `axis`, tilted towards axis 255 by `tilt`.
std::vector<float> voice(std::size_t axis, float tilt = 0.0f) {
    std::vector<float> values(256, 0.0f);
    values[axis] = 1.0f;
    values[255] = tilt;
    return values;
}

SpeakerManager manager() { return SpeakerManager(0.84f, 0.56f, 1.0f, 2.0f); }

Speaker known(const std::string& id, bool permanent = false, std::size_t axis = 1) {
    return Speaker(id, std::nullopt, voice(axis), 5.0f, std::nullopt, std::nullopt, permanent);
}

TEST(SpeakerManagerTests, FoundingAndRefusing) {
    auto database = manager();
    platform::ScopedLogCapture capture;
    const auto first = database.assignSpeaker(voice(0), 1.0f);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->id, "1");
    EXPECT_EQ(first->name, "Speaker 1");
    EXPECT_FLOAT_EQ(first->duration, 1.0f);
    EXPECT_EQ(first->updateCount, 1);
    EXPECT_EQ(first->rawEmbeddings.size(), 1u);
    EXPECT_EQ(database.nextSpeakerId(), 2);
    EXPECT_TRUE(capture.contains("Created new speaker 1 (distance to closest: inf)"));

    EXPECT_FALSE(database.assignSpeaker(voice(1), 0.5f).has_value());
    EXPECT_TRUE(capture.contains("Audio segment too short (0.5s) to create new speaker"));
    EXPECT_FALSE(database.assignSpeaker(std::vector<float>(255, 1.0f), 5.0f).has_value());
    EXPECT_TRUE(capture.contains("Invalid embedding size: 255"));
    // All zeros match nobody and found a new speaker.
    EXPECT_EQ(database.assignSpeaker(std::vector<float>(256, 0.0f), 2.0f)->id, "2");
}

TEST(SpeakerManagerTests, MatchesRefineByDistance) {
    // Against speaker 1 along axis 0, cos = 1 / sqrt(1 + t^2): t = 1.5 gives a distance of about
    // 0.445 (below 0.56), t = 3 about 0.684 (between 0.56 and 0.84), t = 20 about 0.95 (no match).
    struct Case {
        const char* name;
        float tilt;
        std::optional<float> threshold;
        const char* id;
        std::int64_t updateCount;
        std::size_t rawEmbeddings;
        bool mainChanged;
    };
    const Case cases[] = {
        {"close match refines", 1.5f, std::nullopt, "1", 2, 2, true},
        {"loose match only adds duration", 3.0f, std::nullopt, "1", 1, 1, false},
        {"no match founds a speaker", 20.0f, std::nullopt, "2", 1, 1, true},
        {"a threshold for one call", 1.5f, 0.01f, "2", 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto database = manager();
        const auto before = database.assignSpeaker(voice(0), 2.0f)->currentEmbedding;
        const auto result = database.assignSpeaker(voice(0, c.tilt), 1.0f, 1.0f, c.threshold);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->id, c.id);
        EXPECT_EQ(result->updateCount, c.updateCount);
        EXPECT_EQ(result->rawEmbeddings.size(), c.rawEmbeddings);
        EXPECT_EQ(result->currentEmbedding != before, c.mainChanged);
        if (std::string(c.id) == "1") {
            EXPECT_FLOAT_EQ(result->duration, 3.0f);
        }
        EXPECT_EQ(database.speakerThreshold, 0.84f);
    }
}

TEST(SpeakerManagerTests, ADistanceEqualToAThresholdIsNotBelowIt) {
    const auto tilted = voice(0, 3.0f);
    const float distance = SpeakerUtilities::cosineDistance(voice(0), tilted);
    {
        SCOPED_TRACE("speaker threshold");
        SpeakerManager database(distance, 0.1f, 1.0f, 2.0f);
        database.assignSpeaker(voice(0), 2.0f);
        EXPECT_EQ(database.assignSpeaker(tilted, 1.0f)->id, "2");
    }
    {
        SCOPED_TRACE("embedding threshold");
        SpeakerManager database(0.84f, distance, 1.0f, 2.0f);
        database.assignSpeaker(voice(0), 2.0f);
        const auto matched = database.assignSpeaker(tilted, 1.0f);
        EXPECT_EQ(matched->id, "1");
        EXPECT_EQ(matched->updateCount, 1); // duration only, no refinement
    }
}

TEST(SpeakerManagerTests, RefiningKeepsNineTenthsOfTheStoredVoice) {
    auto database = manager();
    database.assignSpeaker(voice(0), 2.0f);
    const auto refined = database.assignSpeaker(voice(0, 1.5f), 1.0f)->currentEmbedding;
    // The raw voices average to (0.8817, 0.4719) on the main and tilt axes;
    // 0.9 of that plus 0.1 of the new (0.5547, 0.8321) is (0.8490, 0.5079).
    EXPECT_NEAR(refined[255] / refined[0], 0.5982, 1e-4);
}

TEST(SpeakerManagerTests, OfEquallyCloseSpeakersTheFirstIsTaken) {
    auto database = manager();
    database.assignSpeaker(voice(0), 2.0f);
    database.assignSpeaker(voice(1), 2.0f);
    std::vector<float> between(256, 0.0f);
    between[0] = between[1] = 1.0f;
    EXPECT_EQ(database.assignSpeaker(between, 1.0f)->id, "1");
}

TEST(SpeakerManagerTests, SeedingNeverLetsANewSpeakerReplaceAStoredOne) {
    auto database = manager();
    for (int i = 1; i <= 5; ++i) database.upsertSpeaker(known(std::to_string(i), false, static_cast<std::size_t>(i)));
    platform::ScopedLogCapture capture;
    database.initializeKnownSpeakers({known("2", false, 2)}, SpeakerInitializationMode::skip, true);
    EXPECT_TRUE(capture.contains("Speaker 2 is already initialized. Skipping new speaker."));
    const auto created = database.assignSpeaker(voice(100), 2.0f);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(created->id, "6");
    EXPECT_EQ(database.speakerDatabase().size(), 6u);
    EXPECT_EQ(database.speakerDatabase().at("1").currentEmbedding, voice(1));
}

TEST(SpeakerManagerTests, SeedingModes) {
    auto database = manager();
    platform::ScopedLogCapture capture;
    database.initializeKnownSpeakers({known("2"), known("5"), known("guest"), Speaker("3", std::nullopt, std::vector<float>(128, 1.0f))},
                                     SpeakerInitializationMode::skip, true);
    EXPECT_TRUE(capture.contains("Skipping speaker 3 - invalid embedding size: 128"));
    EXPECT_TRUE(capture.contains("Initialized with 3 known speakers, next ID will be: 6"));
    EXPECT_EQ(database.highestSpeakerId(), 5);

    database.upsertSpeaker(known("9", true));
    database.initializeKnownSpeakers({known("9", false, 3)}, SpeakerInitializationMode::overwrite, true);
    EXPECT_TRUE(capture.contains("Failed to overwrite Speaker 9 because it is permanent. Skipping"));
    database.initializeKnownSpeakers({known("2", false, 3)}, SpeakerInitializationMode::overwrite, true);
    EXPECT_EQ(database.speakerDatabase().at("2").currentEmbedding, voice(3));
    auto incoming = known("5", false, 4);
    incoming.name = "Eve";
    database.initializeKnownSpeakers({incoming}, SpeakerInitializationMode::merge, true);
    EXPECT_EQ(database.speakerDatabase().at("5").name, "Eve");
    database.initializeKnownSpeakers({known("7")}, SpeakerInitializationMode::reset, true);
    EXPECT_EQ(database.speakerDatabase().size(), 2u);  // the permanent 9 and the new 7
    EXPECT_EQ(database.nextSpeakerId(), 8);
}

TEST(SpeakerManagerTests, ResetAndUpsert) {
    auto database = manager();
    database.upsertSpeaker(known("3", true));
    database.upsertSpeaker(known("x", true));
    database.upsertSpeaker(known("7"));
    database.reset(true);
    EXPECT_EQ(database.speakerDatabase().size(), 2u);
    EXPECT_EQ(database.nextSpeakerId(), 4);
    database.reset();
    EXPECT_TRUE(database.speakerDatabase().empty());
    EXPECT_EQ(database.nextSpeakerId(), 1);

    database.upsertSpeaker(known("4"));
    database.upsertSpeaker(known("12"));
    EXPECT_EQ(database.nextSpeakerId(), 13);
    database.upsertSpeaker(known("abc"));
    EXPECT_EQ(database.nextSpeakerId(), 13);
    auto permanent = known("p", true);
    database.upsertSpeaker(permanent);
    const auto created = database.speakerDatabase().at("p").createdAt;
    database.upsertSpeaker("p", std::nullopt, voice(9), 1.0f, {}, 4, std::nullopt, std::nullopt, false);
    const auto& stored = database.speakerDatabase().at("p");
    EXPECT_TRUE(stored.isPermanent);
    EXPECT_EQ(stored.createdAt, created);
    EXPECT_EQ(stored.updateCount, 4);
}

} // namespace
} // namespace razeziruzer
