#include "RazeziRuzer/VAD/VadSpeechSegmenter.hpp"

#include "RazeziRuzer/VAD/VadError.hpp"
#include "tests/RazeziRuzer/VAD/ScriptedVadModel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace razeziruzer {
namespace {

using vadtest::concatenated;
using vadtest::repeated;
using Regions = std::vector<VadSampleRegion>;

constexpr VadThresholds defaults{0.85f, 0.85f - 0.15f};

std::int64_t chunks(std::size_t count) { return static_cast<std::int64_t>(count) * 4096; }

struct Case {
    const char* name;
    std::vector<float> probabilities;
    std::function<void(VadSegmentationConfig&)> configure;
    Regions expected;
    std::int64_t length = -1;  // -1: whole chunks
};

TEST(VadSpeechSegmenterTests, RegionsOfProbabilityRuns) {
    // A three-chunk pause at 81920 (lowest `first`) and a two-chunk pause at 176128 (lowest `second`);
    // the region passes the maximum at 217088.
    const auto pauses = [](float first, float second) {
        return concatenated({repeated(0.95f, 20), repeated(first, 3), repeated(0.95f, 20), repeated(second, 2),
                             repeated(0.95f, 20)});
    };
    const Case cases[] = {
        {"silence closes after the minimum and a late chunk reopens",
         {0.9f, 0.9f, 0.1f, 0.1f, 0.1f, 0.1f, 0.9f}, {}, {{0, 9792}, {22976, 28672}}},
        {"split at the preferred pause",
         concatenated({repeated(0.95f, 20), repeated(0.2f, 2), repeated(0.95f, 40), repeated(0.5f, 1),
                       repeated(0.95f, 10)}),
         {}, {{0, 83520}, {88512, 299008}}},
        {"longest pause without a preferred one", pauses(0.5f, 0.6f), {}, {{0, 83520}, {92608, chunks(65)}}},
        {"last pause without a preferred one", pauses(0.5f, 0.6f),
         [](auto& c) { c.useMaxPossibleSilenceAtMaxSpeech = false; }, {{0, 177728}, {182720, chunks(65)}}},
        {"preferred pause wins over a longer one", pauses(0.6f, 0.2f), {}, {{0, 177728}, {182720, chunks(65)}}},
        {"a pause exactly at the split threshold is preferred", pauses(0.5f, 0.3f), {},
         {{0, 177728}, {182720, chunks(65)}}},
        {"cut without pauses", repeated(0.95f, 60), {}, {{0, 218688}, {219584, chunks(60)}}},
        {"infinite maximum never splits", repeated(0.95f, 60), [](auto& c) { c.maxSpeechDuration = INFINITY; },
         {{0, chunks(60)}}},
        {"one chunk meets the minimum speech", {0.9f, 0.1f, 0.1f, 0.1f, 0.1f},
         [](auto& c) { c.minSpeechDuration = 0.256; c.speechPadding = 0; }, {{0, 4096}}},
        {"one chunk short of the minimum speech", {0.9f, 0.1f, 0.1f, 0.1f, 0.1f},
         [](auto& c) { c.minSpeechDuration = 0.2561; c.speechPadding = 0; }, {}},
        {"minimum silence reached on the third chunk", {0.9f, 0.9f, 0.1f, 0.1f, 0.1f, 0.9f},
         [](auto& c) { c.minSilenceDuration = 0.512; c.speechPadding = 0; }, {{0, 8192}, {20480, 24576}}},
        {"chunk between thresholds keeps the silence run", {0.9f, 0.9f, 0.1f, 0.8f, 0.1f, 0.1f, 0.9f},
         [](auto& c) { c.speechPadding = 0; }, {{0, 8192}, {24576, 28672}}},
        {"chunk at the positive threshold ends the silence run", {0.9f, 0.9f, 0.1f, 0.9f, 0.1f, 0.1f, 0.1f, 0.9f},
         [](auto& c) { c.speechPadding = 0; }, {{0, chunks(8)}}},
        {"close padding meets in the middle", concatenated({repeated(0.9f, 3), repeated(0.1f, 3), repeated(0.9f, 3)}),
         [](auto& c) { c.speechPadding = 0.5; c.minSilenceDuration = 0.5; }, {{0, 18432}, {18432, 36864}}},
        {"recording shorter than its chunks", {0.9f, 0.9f}, {}, {{0, 5000}}, 5000},
        {"NaN is neither speech nor silence", {0.9f, NAN, 0.1f, NAN, 0.1f, 0.1f, 0.1f},
         [](auto& c) { c.speechPadding = 0; }, {{0, 8192}}},
        {"no speech", repeated(0.1f, 10), {}, {}},
        // Maximum speech 1.024 s: 16384 samples less one chunk, three chunks.
        {"reaching the maximum exactly does not split", repeated(0.95f, 6),
         [](auto& c) { c.maxSpeechDuration = 1.024; c.speechPadding = 0; c.minSpeechDuration = 0; },
         {{0, 16384}, {20480, 24576}}},
        {"speech resuming at the cut closes the region",
         concatenated({repeated(0.95f, 3), repeated(0.1f, 1), repeated(0.95f, 2)}),
         [](auto& c) { c.maxSpeechDuration = 1.024; c.speechPadding = 0; c.minSpeechDuration = 0; },
         {{0, 12288}, {20480, 24576}}},
        {"a cut region of exactly the minimum speech is kept",
         concatenated({repeated(0.95f, 3), repeated(0.1f, 1), repeated(0.95f, 2)}),
         [](auto& c) { c.maxSpeechDuration = 1.024; c.speechPadding = 0; c.minSpeechDuration = 0.768; },
         {{0, 12288}}},
        {"a last region of exactly the minimum speech is kept", {0.1f, 0.9f},
         [](auto& c) { c.minSpeechDuration = 0.256; c.speechPadding = 0; }, {{4096, 8192}}},
        // Maximum speech six chunks; two one-chunk pauses as low as each other.
        {"the earliest of equally long pauses is the cut",
         concatenated({repeated(0.95f, 1), repeated(0.1f, 1), repeated(0.95f, 1), repeated(0.1f, 1),
                       repeated(0.95f, 5)}),
         [](auto& c) { c.maxSpeechDuration = 1.792; c.speechPadding = 0; c.minSpeechDuration = 0; },
         {{0, 4096}, {8192, chunks(9)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VadSegmentationConfig config;
        if (c.configure) c.configure(config);
        const auto length = c.length < 0 ? chunks(c.probabilities.size()) : c.length;
        const auto regions = VadSpeechSegmenter::detectSpeechSampleRanges(c.probabilities, length, defaults, config);
        ASSERT_EQ(regions.size(), c.expected.size());
        for (std::size_t i = 0; i < regions.size(); ++i) {
            EXPECT_EQ(regions[i].start, c.expected[i].start) << "region " << i;
            EXPECT_EQ(regions[i].end, c.expected[i].end) << "region " << i;
        }
    }
}

TEST(VadSpeechSegmenterTests, ShortPausesAreRememberedOnlyWhenStrictlyLonger) {
    // One-chunk pause at 81920 (lowest 0.2), then speech past the maximum.
    const auto probabilities = concatenated({repeated(0.95f, 20), repeated(0.2f, 1), repeated(0.95f, 40)});
    VadSegmentationConfig config;
    const auto withPause = VadSpeechSegmenter::detectSpeechSampleRanges(probabilities, chunks(61), defaults, config);
    ASSERT_FALSE(withPause.empty());
    EXPECT_EQ(withPause[0].end, 81920 + 1600);
    config.minSilenceAtMaxSpeech = 0.256;
    const auto withoutPause = VadSpeechSegmenter::detectSpeechSampleRanges(probabilities, chunks(61), defaults, config);
    ASSERT_FALSE(withoutPause.empty());
    EXPECT_EQ(withoutPause[0].end, 217088 + 1600);
}

TEST(VadSpeechSegmenterTests, DurationsThatCannotBeCountedAreRefused) {
    VadSegmentationConfig config;
    config.speechPadding = std::nan("");
    EXPECT_THROW(VadSpeechSegmenter::detectSpeechSampleRanges(repeated(0.9f, 2), chunks(2), defaults, config),
                 VadError);
    config = {};
    config.minSilenceDuration = 1e300;
    EXPECT_THROW(VadSpeechSegmenter::detectSpeechSampleRanges(repeated(0.9f, 2), chunks(2), defaults, config),
                 VadError);
}

} // namespace
} // namespace razeziruzer
