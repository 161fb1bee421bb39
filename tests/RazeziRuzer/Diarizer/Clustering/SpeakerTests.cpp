#include "RazeziRuzer/Diarizer/Clustering/SendableSpeaker.hpp"
#include "RazeziRuzer/Diarizer/Clustering/Speaker.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

using namespace std::chrono_literals;

const SpeakerTimestamp epoch = timestampFromSeconds(1'700'000'000);

// A unit vector along axis `axis` of `dimension` values.
std::vector<float> axisVector(std::size_t axis, std::size_t dimension = 4) {
    std::vector<float> values(dimension, 0.0f);
    values[axis] = 1.0f;
    return values;
}

RawEmbedding rawAt(int second, std::size_t axis = 0) {
    return RawEmbedding(platform::Uuid(), axisVector(axis), epoch + std::chrono::seconds(second));
}

Speaker speakerWithHistory(const std::string& id, int count, int firstSecond) {
    Speaker speaker(id, std::nullopt, axisVector(0));
    for (int i = 0; i < count; ++i) speaker.addRawEmbedding(rawAt(firstSecond + i));
    return speaker;
}

float norm(const std::vector<float>& values) {
    float sum = 0;
    for (const float v : values) sum += v * v;
    return std::sqrt(sum);
}

TEST(SpeakerTests, CreationDefaults) {
    const Speaker speaker(std::nullopt, std::nullopt, std::vector<float>{3, 4});
    EXPECT_TRUE(platform::Uuid::fromString(speaker.id).has_value());
    EXPECT_EQ(speaker.name, speaker.id);
    EXPECT_EQ(speaker.updateCount, 1);
    EXPECT_TRUE(speaker.rawEmbeddings.empty());
    EXPECT_EQ(speaker.createdAt, speaker.updatedAt);
    EXPECT_FLOAT_EQ(speaker.currentEmbedding[0], 0.6f);
}

TEST(SpeakerTests, HistoryAdditionsAndMean) {
    Speaker speaker("1", std::nullopt, axisVector(0));
    speaker.addRawEmbedding(RawEmbedding(platform::Uuid(), std::vector<float>(4, 0.0f), epoch));
    EXPECT_TRUE(speaker.rawEmbeddings.empty());
    speaker.addRawEmbedding(rawAt(0, 1));
    speaker.addRawEmbedding(rawAt(1, 2));
    speaker.addRawEmbedding(RawEmbedding(platform::Uuid(), std::vector<float>{1, 0}, epoch));  // other length
    EXPECT_EQ(speaker.rawEmbeddings.size(), 3u);
    const float half = 1.0f / std::sqrt(2.0f);
    EXPECT_NEAR(speaker.currentEmbedding[1], half, 1e-6);
    EXPECT_NEAR(speaker.currentEmbedding[2], half, 1e-6);

    auto full = speakerWithHistory("2", 50, 0);
    const auto first = full.rawEmbeddings.front().segmentId;
    full.addRawEmbedding(rawAt(50));
    EXPECT_EQ(full.rawEmbeddings.size(), 50u);
    EXPECT_NE(full.rawEmbeddings.front().segmentId, first);
}

TEST(SpeakerTests, BlendingAnUpdate) {
    struct Case {
        const char* name;
        float alpha;
        std::vector<float> expected;
    };
    const float half = 1.0f / std::sqrt(2.0f);
    const Case cases[] = {
        {"alpha one keeps the history mean", 1.0f, {half, half, 0, 0}},
        {"alpha zero takes the new embedding", 0.0f, {0, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Speaker speaker("1", std::nullopt, axisVector(0), 2.0f);
        speaker.addRawEmbedding(rawAt(0, 0));
        speaker.updateMainEmbedding(1.5f, std::vector<float>{0, 2, 0, 0}, platform::Uuid(), c.alpha);
        for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(speaker.currentEmbedding[i], c.expected[i], 1e-6);
        EXPECT_FLOAT_EQ(speaker.duration, 3.5f);
        EXPECT_EQ(speaker.updateCount, 2);
        EXPECT_NEAR(norm(speaker.currentEmbedding), 1.0f, 1e-6);
    }
    Speaker speaker("1", std::nullopt, axisVector(0), 2.0f);
    speaker.updateMainEmbedding(1.5f, std::vector<float>(4, 0.0f), platform::Uuid(), 0.5f);
    EXPECT_FLOAT_EQ(speaker.duration, 2.0f);
    EXPECT_EQ(speaker.updateCount, 1);
}

TEST(SpeakerTests, MergeKeepsTheNewestAndTheNextAdditionEvictsTheOldest) {
    auto own = speakerWithHistory("1", 30, 0);      // seconds 0 ... 29
    auto other = speakerWithHistory("2", 30, 100);  // seconds 100 ... 129
    own.duration = 2;
    own.updateCount = 2;
    other.duration = 3;
    other.updateCount = 3;
    own.mergeWith(other);
    ASSERT_EQ(own.rawEmbeddings.size(), 50u);
    // The ten oldest are gone; the rest is kept oldest first.
    EXPECT_EQ(own.rawEmbeddings.front().timestamp, epoch + 10s);
    EXPECT_EQ(own.rawEmbeddings.back().timestamp, epoch + 129s);
    EXPECT_FLOAT_EQ(own.duration, 5);
    EXPECT_EQ(own.updateCount, 5);
    EXPECT_EQ(own.name, "1");

    own.addRawEmbedding(rawAt(200));
    EXPECT_EQ(own.rawEmbeddings.front().timestamp, epoch + 11s);
    EXPECT_EQ(own.rawEmbeddings.back().timestamp, epoch + 200s);

    auto small = speakerWithHistory("3", 20, 50);
    small.mergeWith(speakerWithHistory("4", 20, 0), "Alice");
    ASSERT_EQ(small.rawEmbeddings.size(), 40u);
    EXPECT_EQ(small.rawEmbeddings.front().timestamp, epoch + 50s);  // own, then the other's
    EXPECT_EQ(small.rawEmbeddings[20].timestamp, epoch);
    EXPECT_EQ(small.name, "Alice");
}

TEST(SpeakerTests, RemovingHistoryEntries) {
    auto speaker = speakerWithHistory("1", 1, 0);
    speaker.addRawEmbedding(rawAt(1, 1));
    const auto removed = speaker.removeRawEmbedding(speaker.rawEmbeddings.back().segmentId);
    ASSERT_TRUE(removed.has_value());
    EXPECT_EQ(speaker.currentEmbedding, axisVector(0));
    const auto before = speaker.currentEmbedding;
    EXPECT_FALSE(speaker.removeRawEmbedding(platform::Uuid()).has_value());
    EXPECT_EQ(speaker.rawEmbeddings.size(), 1u);
    speaker.removeRawEmbedding(speaker.rawEmbeddings.front().segmentId);
    EXPECT_EQ(speaker.currentEmbedding, before);  // the last value stays
}

TEST(SpeakerTests, SendableIdentities) {
    struct Case {
        const char* id;
        std::optional<std::int64_t> number;
    };
    const Case cases[] = {{"42", 42}, {"+7", 7}, {"-3", -3}, {"", std::nullopt}, {"+", std::nullopt},
                          {"-", std::nullopt}, {"+-3", std::nullopt}, {"99999999999999999999", std::nullopt},
                          {"12a", std::nullopt}, {" 1", std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const Speaker speaker(std::string(c.id), "n", axisVector(0));
        const auto sendable = speaker.toSendable();
        if (c.number) {
            EXPECT_EQ(sendable.id, *c.number);
        } else {
            EXPECT_GE(sendable.id, 0);
        }
    }
    const SendableSpeaker three(3, "", 1.0f, {}, epoch, epoch);
    EXPECT_EQ(three.label(), "Speaker #3");
    EXPECT_EQ(three, SendableSpeaker(3, "", 9.0f, {}, epoch, epoch));
}

TEST(SpeakerTests, StoredSpeakersKeepTheirValues) {
    auto speaker = speakerWithHistory("7", 3, 0);
    speaker.isPermanent = true;
    auto json = nlohmann::ordered_json::parse(speaker.toJSON().dump());
    EXPECT_EQ(json.begin().key(), "id");
    for (int i = 0; i < 57; ++i) json["rawEmbeddings"].push_back(rawAt(i).toJSON());
    const auto read = Speaker::fromJSON(json);
    EXPECT_EQ(read.rawEmbeddings.size(), 60u);
    EXPECT_EQ(read.currentEmbedding, speaker.currentEmbedding);
    EXPECT_TRUE(read.isPermanent);
    EXPECT_EQ(read.rawEmbeddings.front().segmentId, speaker.rawEmbeddings.front().segmentId);
    json.erase("updateCount");
    EXPECT_THROW(Speaker::fromJSON(json), nlohmann::json::exception);
}

TEST(SpeakerTests, AnEmbeddingIsUsableAboveASumOfSquaresOf0_01) {
    struct Case {
        const char* name;
        float value; // the one non-zero element
        std::size_t rawEmbeddings;
    };
    const Case cases[] = {{"0.015 is kept", 0.1225f, 1u}, {"0.0081 is dropped", 0.09f, 0u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Speaker speaker("1", std::nullopt, axisVector(0));
        speaker.updateMainEmbedding(1.0f, std::vector<float>{c.value, 0, 0, 0}, platform::Uuid(), 0.9f);
        EXPECT_EQ(speaker.rawEmbeddings.size(), c.rawEmbeddings);
    }
}

} // namespace
} // namespace razeziruzer
