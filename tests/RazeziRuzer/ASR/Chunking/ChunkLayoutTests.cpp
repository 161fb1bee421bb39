#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "tests/RazeziRuzer/ASR/Chunking/ChunkFixtures.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace razeziruzer {
namespace {

using Decision = ChunkProcessor::ChunkStartDecision;
using chunktest::processorOfLength;
using chunktest::processorOver;

constexpr std::int64_t frame = 1280;

std::vector<std::int64_t> startsOf(const std::vector<Decision>& plan) {
    std::vector<std::int64_t> starts;
    for (const auto& decision : plan) starts.push_back(decision.start);
    return starts;
}

// A steady tone: every 2,560-sample window of it has the same energy.
std::vector<float> loud(std::int64_t count) {
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = (i % 2 == 0) ? 0.5f : -0.5f;
    return samples;
}

void silence(std::vector<float>& samples, std::int64_t from, std::int64_t to) {
    for (std::int64_t i = from; i < to; ++i) samples[static_cast<std::size_t>(i)] = 0;
}

TEST(ChunkLayoutTest, LayoutFollowsMelContextAndModelVersion) {
    struct Case {
        bool mel;
        std::optional<AsrModelVersion> version;
        std::int64_t warmupFrames;
        ChunkProcessor::ChunkLayout expected;
    };
    const Case cases[] = {
        {true, AsrModelVersion::v3, 0, {238080, 206080, 1280, 0}},
        {false, AsrModelVersion::v3, 0, {239360, 207360, 0, 0}},
        {false, AsrModelVersion::v3, 7, {239360, 207360, 0, 8960}},
        {true, AsrModelVersion::v3, 7, {238080, 206080, 1280, 0}},
        {false, AsrModelVersion::v2, 7, {239360, 207360, 0, 0}},
        {false, std::nullopt, 7, {239360, 207360, 0, 0}},
    };
    for (const auto& c : cases) {
        auto processor = processorOfLength(1'000'000);
        processor.noMelWarmupPrefixFrames = c.warmupFrames;
        EXPECT_EQ(processor.chunkLayout(c.mel, c.version), c.expected)
            << "mel " << c.mel << ", warm-up frames " << c.warmupFrames;
    }
}

TEST(ChunkLayoutTest, UnusableOverlapMeansNoneAndHugeOverlapHalfAChunk) {
    for (const double overlap : {std::nan(""), -1.0, 0.0}) {
        EXPECT_EQ(processorOfLength(1, overlap).chunkLayout(false, std::nullopt).strideSamples, 239360) << overlap;
    }
    for (const double overlap : {1e30, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(processorOfLength(1, overlap).chunkLayout(false, std::nullopt).strideSamples, 239360 - 119040) << overlap;
    }
}

TEST(ChunkLayoutTest, RegularPlanStepsByStrideBelowTheEnd) {
    EXPECT_EQ(startsOf(processorOfLength(240'001).regularChunkStarts(206080)), (std::vector<std::int64_t>{0, 206080}));
    EXPECT_EQ(startsOf(processorOfLength(1'000'000).regularChunkStarts(206080)),
              (std::vector<std::int64_t>{0, 206080, 412160, 618240, 824320}));
    EXPECT_EQ(processorOfLength(206080).regularChunkStarts(206080), (std::vector<Decision>{{0, false}}));
    EXPECT_EQ(processorOfLength(0).regularChunkStarts(206080), (std::vector<Decision>{{0, false}}));
    EXPECT_THROW(processorOfLength(10).regularChunkStarts(0), std::invalid_argument);
}

TEST(ChunkLayoutTest, SilenceAlignedPlanOfShortRecordingIsOneChunk) {
    EXPECT_EQ(processorOver(loud(207360)).silenceAlignedChunkStarts(239360, 207360, true),
              (std::vector<Decision>{{0, false}}));
}

TEST(ChunkLayoutTest, DigitalSilenceStartsEachChunkAtEarliestAllowedFrame) {
    const auto plan = processorOver(std::vector<float>(500'000, 0.0f)).silenceAlignedChunkStarts(239360, 207360, false);
    // Second chunk: frames 112 ... 212 around frame 162; the earliest wins.
    // Third: frames 274 ... 374, capped at 143,360 + 239,360 - 7,680.
    EXPECT_EQ(plan, (std::vector<Decision>{{0, false}, {112 * frame, false}, {274 * frame, false}}));
}

TEST(ChunkLayoutTest, ChunkStartsInTheOneQuietSpotNearTheGrid) {
    auto samples = loud(500'000);
    const std::int64_t quiet = 150 * frame;
    silence(samples, quiet - frame, quiet + frame);
    const auto plan = processorOver(std::move(samples)).silenceAlignedChunkStarts(239360, 207360, false);
    ASSERT_GE(plan.size(), 2u);
    EXPECT_EQ(plan[1], (Decision{quiet, false}));
}

TEST(ChunkLayoutTest, FallbackIsCappedWhenThePreviousChunkMovedEarly) {
    // The second chunk moves 50 frames early into silence; loud audio around
    // the third grid position leaves only candidates above the new bound.
    auto samples = loud(500'000);
    silence(samples, 111 * frame, 113 * frame);
    const auto plan = processorOver(std::move(samples)).silenceAlignedChunkStarts(239360, 207360, false);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[1].start, 112 * frame);
    EXPECT_EQ(plan[2], (Decision{112 * frame + 239360 - 7680, false}));
}

TEST(ChunkLayoutTest, WarmupPrefixFlagsQuietSpotsFollowedBySound) {
    const std::int64_t quiet = 150 * frame;
    struct Case {
        const char* name;
        std::int64_t silentFrom, silentTo; // around the quiet spot
        bool quietAtEarlyTail;             // around the early chunk's end
        Decision expected;
    };
    const Case cases[] = {
        // Sound within 3,200 samples after the quiet spot; the grid position
        // and the early tail are loud: the grid position wins without prefix.
        {"loud grid and tail", quiet - frame, quiet + frame, false, {162 * frame, false}},
        // The same, but the early chunk would end in a quiet spot: warm-up.
        {"quiet tail", quiet - frame, quiet + frame, true, {quiet, true}},
        // Ten quiet 20 ms frames after the spot: no prefix needed.
        {"long silence", quiet - frame, quiet + 4000, false, {quiet, false}},
    };
    for (const auto& c : cases) {
        auto samples = loud(600'000);
        silence(samples, c.silentFrom, c.silentTo);
        const std::int64_t tail = quiet + 239360 - 7680;
        if (c.quietAtEarlyTail) silence(samples, tail - frame, tail + frame);
        const auto plan = processorOver(std::move(samples)).silenceAlignedChunkStarts(239360, 207360, true);
        ASSERT_GE(plan.size(), 2u) << c.name;
        EXPECT_EQ(plan[1], c.expected) << c.name;
    }
}

TEST(ChunkLayoutTest, WarmupProbeThatRunsIntoTheEndAsksForPrefix) {
    // All silent; with a 10-frame chunk and a 2-frame stride the second chunk
    // starts at frame 1. The probe needs 3,200 samples after it.
    for (const auto& [total, expectWarmup] : {std::pair{1280 + 3200, false}, std::pair{1280 + 3199, true}}) {
        const auto plan = processorOver(std::vector<float>(static_cast<std::size_t>(total), 0.0f))
                              .silenceAlignedChunkStarts(10 * frame, 2 * frame, true);
        EXPECT_EQ(plan, (std::vector<Decision>{{0, false}, {frame, expectWarmup}})) << total;
    }
}

TEST(ChunkLayoutTest, ReadErrorEndsPlanning) {
    struct FailingSource final : AudioSampleSource {
        std::int64_t sampleCount() const override { return 500'000; }
        void copySamples(float*, std::int64_t, std::int64_t) const override {
            throw std::runtime_error("disk gone");
        }
    };
    auto processor = processorOfLength(500'000);
    processor.sampleSource = std::make_shared<FailingSource>();
    EXPECT_THROW(
        {
            try {
                processor.silenceAlignedChunkStarts(239360, 207360, true);
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "disk gone");
                throw;
            }
        },
        std::runtime_error);
}

} // namespace
} // namespace razeziruzer
