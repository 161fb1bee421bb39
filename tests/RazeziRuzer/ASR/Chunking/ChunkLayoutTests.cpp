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

// The samples [from, to) alternate between +amplitude and -amplitude, so every
// energy window inside them has the energy amplitude².
void setLevel(std::vector<float>& samples, std::int64_t from, std::int64_t to, float amplitude) {
    for (std::int64_t i = from; i < to; ++i) {
        samples[static_cast<std::size_t>(i)] = (i % 2 == 0) ? amplitude : -amplitude;
    }
}

void silence(std::vector<float>& samples, std::int64_t from, std::int64_t to) { setLevel(samples, from, to, 0); }

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

TEST(ChunkLayoutTest, QuietnessIsMeasuredAgainst5PercentOfTheUpperMedian) {
    // Second chunk of a 500,000-sample recording: the first search sees frames
    // 112 ... 181 (70 candidates, capped by 239,360 - 7,680). Frames up to 146
    // lie in audio of energy 0.01, frames from 148 on in energy 0.25, frame 147
    // straddles both (0.13). Frame 130 holds the quietest spot. Sorted, the
    // energies at positions 34 and 35 are 0.01 and 0.13: the upper one (count
    // / 2) is the median. A spot at or below 0.05 x 0.13 is quiet; one above
    // is not, and the second search leaves the loud grid position, frame 162.
    // Against the lower median (0.05 x 0.01) not even the quietest would be.
    struct Case {
        const char* name;
        float spotEnergy;
        std::int64_t expectedStart;
    };
    const Case cases[] = {
        {"far below", 0.0025f, 130 * frame},
        {"0.045 x median", 0.00585f, 130 * frame},
        {"0.055 x median", 0.00715f, 162 * frame},
    };
    for (const auto& c : cases) {
        auto samples = loud(500'000);
        setLevel(samples, 0, 147 * frame, 0.1f);
        setLevel(samples, 129 * frame, 131 * frame, std::sqrt(c.spotEnergy));
        const auto plan = processorOver(std::move(samples)).silenceAlignedChunkStarts(239360, 207360, false);
        ASSERT_GE(plan.size(), 2u) << c.name;
        EXPECT_EQ(plan[1], (Decision{c.expectedStart, false})) << c.name;
    }
}

TEST(ChunkLayoutTest, QuietSpotsOfTheSecondSearchAreMeasuredAgainst35PercentOfTheMedian) {
    // Loud audio (energy 0.25) everywhere but around frame 159, three frames
    // before the grid position: too loud for the first search (above 0.05 x
    // 0.25), so the second search over frames 156 ... 168 decides, with median
    // 0.25. Energy 0.0825 (0.33 x median) is quiet enough there, 0.0925
    // (0.37 x median) is not and leaves the grid position.
    struct Case {
        const char* name;
        float energy;
        std::int64_t expectedStart;
    };
    const Case cases[] = {
        {"0.33 x median", 0.0825f, 159 * frame},
        {"0.37 x median", 0.0925f, 162 * frame},
    };
    for (const auto& c : cases) {
        auto samples = loud(500'000);
        setLevel(samples, 158 * frame, 160 * frame, std::sqrt(c.energy));
        const auto plan = processorOver(std::move(samples)).silenceAlignedChunkStarts(239360, 207360, false);
        ASSERT_GE(plan.size(), 2u) << c.name;
        EXPECT_EQ(plan[1], (Decision{c.expectedStart, false})) << c.name;
    }
}

TEST(ChunkLayoutTest, AGridPositionIsLoudAboveFourFifthsOfTheMedian) {
    // A silent spot at frame 150 followed by sound wants a warm-up prefix; the
    // early chunk's end is loud (0.25, the median). The grid position, frame
    // 162, decides: above 0.8 x median it counts as loud and the chunk starts
    // there without prefix, below it the quiet spot is taken with a prefix.
    struct Case {
        const char* name;
        float gridEnergy;
        Decision expected;
    };
    const Case cases[] = {
        {"0.85 x median", 0.2125f, {162 * frame, false}},
        {"0.75 x median", 0.1875f, {150 * frame, true}},
    };
    for (const auto& c : cases) {
        auto samples = loud(600'000);
        silence(samples, 149 * frame, 151 * frame);
        setLevel(samples, 161 * frame, 163 * frame, std::sqrt(c.gridEnergy));
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
