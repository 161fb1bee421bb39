#include "RazeziRuzer/VAD/VadManager.hpp"

#include "RazeziRuzer/VAD/VadError.hpp"
#include "tests/RazeziRuzer/VAD/ScriptedVadModel.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

using Kind = VadStreamEvent::Kind;

struct Expected {
    std::size_t chunk;
    Kind kind;
    std::int64_t sampleIndex;
};

VadSegmentationConfig withMinSilence(double seconds) {
    VadSegmentationConfig config;
    config.minSilenceDuration = seconds;
    return config;
}

TEST(VadStreamingTests, EventsOfChunkSequences) {
    struct Case {
        const char* name;
        std::vector<float> probabilities;
        std::vector<Expected> events;
        std::int64_t startAt = 0;
        VadSegmentationConfig config{};
    };
    const Case cases[] = {
        {"start at zero is not negative", {0.9f}, {{0, Kind::speechStart, 0}}},
        {"start later is padded back", {0.9f}, {{0, Kind::speechStart, 39360}}, 40960},
        {"end after the minimum silence", {0.9f, 0.1f, 0.1f, 0.1f, 0.1f},
         {{0, Kind::speechStart, 0}, {4, Kind::speechEnd, 5696}}},
        {"speech clears the silence run", {0.9f, 0.1f, 0.1f, 0.9f, 0.1f}, {{0, Kind::speechStart, 0}}},
        {"chunk between thresholds keeps the run", {0.9f, 0.1f, 0.8f, 0.1f, 0.1f},
         {{0, Kind::speechStart, 0}, {4, Kind::speechEnd, 5696}}},
        {"NaN changes nothing", {0.9f, 0.1f, NAN, 0.1f, 0.1f},
         {{0, Kind::speechStart, 0}, {4, Kind::speechEnd, 5696}}},
        {"no second start without an end", {0.9f, 0.95f, 0.9f}, {{0, Kind::speechStart, 0}}},
        {"silence while idle changes nothing", {0.1f, 0.1f, 0.1f, 0.1f, 0.1f}, {}},
        // The run is measured from the end of its first chunk: 8192 samples
        // after two more chunks, which is at least (not only more than) 0.512 s.
        {"a run of exactly the minimum silence ends speech", {0.9f, 0.1f, 0.1f, 0.1f, 0.1f},
         {{0, Kind::speechStart, 0}, {3, Kind::speechEnd, 4096 + 1600}}, 0,
         withMinSilence(0.512)},
        {"no minimum silence ends speech at the first silent chunk", {0.9f, 0.1f, 0.9f},
         {{0, Kind::speechStart, 0}, {1, Kind::speechEnd, 8192 + 1600 - 4096}, {2, Kind::speechStart, 8192 - 1600}}, 0,
         withMinSilence(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VadManager manager{VadConfig{}, vadtest::scriptedVadModel(vadtest::scriptedVadBackend())};
        auto state = manager.makeStreamState();
        state.processedSamples = c.startAt;
        std::vector<Expected> seen;
        for (std::size_t i = 0; i < c.probabilities.size(); ++i) {
            const auto result =
                manager.processStreamingChunk(std::vector<float>(4096, c.probabilities[i]), state, c.config);
            if (result.event) seen.push_back({i, result.event->kind, result.event->sampleIndex});
            EXPECT_FALSE(result.event && result.event->time.has_value());
            state = result.state;
        }
        ASSERT_EQ(seen.size(), c.events.size());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].chunk, c.events[i].chunk);
            EXPECT_EQ(seen[i].kind, c.events[i].kind);
            EXPECT_EQ(seen[i].sampleIndex, c.events[i].sampleIndex);
        }
    }
}

TEST(VadStreamingTests, SecondsShortChunksAndCarriedState) {
    VadManager manager{VadConfig{}, vadtest::scriptedVadModel(vadtest::scriptedVadBackend())};
    auto state = manager.makeStreamState();
    EXPECT_EQ(state, VadStreamState::initial());
    std::optional<VadStreamEvent> end;
    for (const float p : {0.9f, 0.1f, 0.1f, 0.1f, 0.1f}) {
        const auto result = manager.processStreamingChunk(std::vector<float>(4096, p), state, {}, true, 2);
        if (result.event && result.event->isEnd()) end = result.event;
        state = result.state;
    }
    ASSERT_TRUE(end.has_value());
    EXPECT_DOUBLE_EQ(*end->time, 0.36);
    EXPECT_EQ(state.processedSamples, 5 * 4096);
    EXPECT_EQ(state.modelState.hiddenState, std::vector<float>(128, 5.0f));

    const auto shortChunk = manager.processStreamingChunk(std::vector<float>(1000, 0.2f), state);
    EXPECT_EQ(shortChunk.state.processedSamples, 5 * 4096 + 1000);
}

TEST(VadStreamingTests, ErrorsLeaveTheCallersStateUsable) {
    VadManager without{VadConfig{}};
    const auto state = without.makeStreamState();
    EXPECT_THROW(without.processStreamingChunk(std::vector<float>(4096, 0.9f), state), VadError);
    VadManager manager{VadConfig{}, vadtest::scriptedVadModel(vadtest::scriptedVadBackend())};
    EXPECT_TRUE(manager.processStreamingChunk(std::vector<float>(4096, 0.9f), state).event.has_value());
}

} // namespace
} // namespace razeziruzer
