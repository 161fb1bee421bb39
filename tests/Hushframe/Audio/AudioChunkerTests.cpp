#include "Hushframe/Audio/AudioChunker.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "tests/Hushframe/Core/ExpectWhisperError.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hushframe {
namespace {

using ::testing::Contains;

// Loud audio (0.5) with the given sample ranges silent.
std::vector<float> speech(std::size_t count, const std::vector<std::pair<std::size_t, std::size_t>>& pauses = {}) {
    std::vector<float> samples(count, 0.5F);
    for (const auto& [start, end] : pauses) std::fill(samples.begin() + start, samples.begin() + end, 0.0F);
    return samples;
}

std::vector<std::pair<std::int64_t, std::size_t>> layout(const std::vector<AudioChunk>& chunks) {
    std::vector<std::pair<std::int64_t, std::size_t>> result;
    for (const auto& chunk : chunks) result.emplace_back(chunk.seekOffsetIndex, chunk.audioSamples.size());
    return result;
}

using Layout = std::vector<std::pair<std::int64_t, std::size_t>>;

DecodingOptions clips(std::vector<float> timestamps) {
    DecodingOptions::Arguments arguments;
    arguments.clipTimestamps = std::move(timestamps);
    return DecodingOptions(arguments);
}

TEST(AudioChunkerTests, AudioOfOneWindowIsOneChunk) {
    VADAudioChunker chunker;
    const auto audio = speech(480000);
    const auto chunks = chunker.chunkAll(audio, 480000, std::nullopt);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0], (AudioChunk{0, audio}));
    EXPECT_EQ(chunker.chunkAll({}, 480000, std::nullopt), (std::vector<AudioChunk>{AudioChunk{0, {}}}));
}

TEST(AudioChunkerTests, CutsInTheMiddleOfTheLongestPauseOfTheSecondHalf) {
    testing::PackageLogCapture log;
    VADAudioChunker chunker;
    // 40 s with a pause from 20.0 s to 22.0 s: frames 50 to 69 of the half that starts at 15 s.
    const auto audio = speech(640000, {{320000, 352000}});

    const auto chunks = chunker.chunkAll(audio, 480000, std::nullopt);

    EXPECT_EQ(layout(chunks), (Layout{{0, 336000}, {336000, 304000}}));
    EXPECT_TRUE(std::equal(chunks[1].audioSamples.begin(), chunks[1].audioSamples.end(), audio.begin() + 336000));
    EXPECT_THAT(log.messages(), Contains("Found chunk from 0.00 to 21.00"));
    EXPECT_THAT(log.messages(), Contains("Found chunk from 21.00 to 40.00"));
}

TEST(AudioChunkerTests, WithoutSilenceTheChunkTakesItsFullLength) {
    VADAudioChunker chunker;
    EXPECT_EQ(layout(chunker.chunkAll(speech(600000), 480000, std::nullopt)), (Layout{{0, 480000}, {480000, 120000}}));
}

// Each chunk holds its own copy of exactly the samples of its range, and the
// ranges follow each other without gap or overlap from `start` to `end`.
void expectTiling(const std::vector<AudioChunk>& chunks, const std::vector<float>& audio, std::int64_t start,
                  std::int64_t end, std::int64_t maxChunkLength) {
    std::int64_t next = start;
    for (const auto& chunk : chunks) {
        EXPECT_EQ(chunk.seekOffsetIndex, next) << "gap or overlap";
        const auto length = static_cast<std::int64_t>(chunk.audioSamples.size());
        EXPECT_GT(length, 0);
        EXPECT_LE(length, maxChunkLength);
        ASSERT_LE(chunk.seekOffsetIndex + length, static_cast<std::int64_t>(audio.size()));
        EXPECT_TRUE(std::equal(chunk.audioSamples.begin(), chunk.audioSamples.end(),
                               audio.begin() + chunk.seekOffsetIndex));
        next = chunk.seekOffsetIndex + length;
    }
    EXPECT_EQ(next, end) << "samples left out at the end";
}

TEST(AudioChunkerTests, ChunksCoverEverySample) {
    struct Case {
        std::string name;
        std::vector<float> audio;
        Layout expected; // empty: only the tiling is checked
    };
    std::vector<float> pauses(1600000, 0.5F);
    for (std::size_t start = 100000; start + 24000 < pauses.size(); start += 230000) {
        std::fill(pauses.begin() + static_cast<std::ptrdiff_t>(start),
                  pauses.begin() + static_cast<std::ptrdiff_t>(start + 24000), 0.0F);
    }
    const std::vector<Case> cases{
        {"one sample past a window", speech(480001), {{0, 480000}, {480000, 1}}},
        {"padding after a full window", speech(496000), {{0, 480000}, {480000, 16000}}},
        {"one sample past the padding", speech(496001), {{0, 480000}, {480000, 16001}}},
        {"second window nearly full", speech(959999), {{0, 480000}, {480000, 479999}}},
        {"two full windows", speech(960000), {{0, 480000}, {480000, 480000}}},
        {"two windows and less than the padding", speech(975999), {{0, 480000}, {480000, 480000}, {960000, 15999}}},
        // The pause is frames 146 to 148 of the second half (from 240000): the cut lands at 475200.
        {"cut within the padding of the end", speech(490000, {{473600, 478400}}), {{0, 475200}, {475200, 14800}}},
        {"cut just outside the padding", speech(491201, {{473600, 478400}}), {{0, 475200}, {475200, 16001}}},
        {"all silence", std::vector<float>(1000000, 0.0F), {}},
        {"many pauses", pauses, {}},
    };
    VADAudioChunker chunker;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto chunks = chunker.chunkAll(c.audio, 480000, std::nullopt);
        expectTiling(chunks, c.audio, 0, static_cast<std::int64_t>(c.audio.size()), 480000);
        if (!c.expected.empty()) {
            EXPECT_EQ(layout(chunks), c.expected);
        }
    }
}

TEST(AudioChunkerTests, OddSettingsStillCoverTheAudioOrRefuse) {
    // One-sample chunks: silence cuts each span at its own start, which cannot
    // advance; speech cuts at the span's end, up to a padding below zero.
    const std::vector<float> silence(5, 0.0F);
    const auto loud = speech(5);
    for (const auto* audio : {&silence, &loud}) {
        for (const std::int64_t padding : {0, -3, 16000}) {
            SCOPED_TRACE(std::string(audio == &loud ? "speech" : "silence") + ", padding " + std::to_string(padding));
            const auto chunks = VADAudioChunker(padding).chunkAll(*audio, 1, std::nullopt);
            expectTiling(chunks, *audio, 0, 5, 1);
        }
    }
    for (const std::int64_t maxChunkLength : {0, -480000}) {
        SCOPED_TRACE(maxChunkLength);
        testing::expectWhisperError(WhisperErrorKind::audioProcessingFailed,
                                    "maxChunkLength must be at least one sample",
                                    [&] { VADAudioChunker().chunkAll(silence, maxChunkLength, std::nullopt); });
    }
}

TEST(AudioChunkerTests, UsesTheDetectorItIsGiven) {
    // Reports every frame of the second half silent, whatever the audio.
    class AllSilent : public VoiceActivityDetector {
    public:
        AllSilent() : VoiceActivityDetector(16000, 1000, 0) {}
        std::vector<bool> voiceActivity(std::span<const float> samples) const override {
            return std::vector<bool>((samples.size() + 999) / 1000, false);
        }
    };
    VADAudioChunker chunker(16000, std::make_shared<AllSilent>());
    // Span 0 to 480000: the half from 240000 has 240 silent frames, the middle one is 120.
    EXPECT_EQ(chunker.chunkAll(speech(500000), 480000, std::nullopt).front().audioSamples.size(), 360000u);
}

TEST(AudioChunkerTests, ClipsBeyondTheAudioFailOrGiveNothing) {
    VADAudioChunker chunker;
    const auto audio = speech(640000);
    testing::expectWhisperError(WhisperErrorKind::audioProcessingFailed, "startIndex is outside the buffer size",
                                [&] { chunker.chunkAll(audio, 480000, clips({50, 100})); });
    EXPECT_TRUE(chunker.chunkAll(audio, 480000, clips({50})).empty());
}

TEST(AudioChunkerTests, EachClipIsCoveredOnItsOwn) {
    VADAudioChunker chunker;
    const auto audio = speech(640000);
    struct Case {
        std::string name;
        std::vector<float> timestamps;
        Layout expected;
    };
    const std::vector<Case> cases{
        {"two clips", {1, 3, 10}, {{16000, 32000}, {160000, 480000}}},
        {"a clip shorter than the padding", {1, 1.5F, 20}, {{16000, 8000}, {320000, 320000}}},
        {"a clip longer than a window", {2, 35}, {{32000, 480000}, {512000, 48000}}},
        {"a clip ending within the padding after a cut", {2, 32.5F}, {{32000, 480000}, {512000, 8000}}},
        {"a clip ending past the audio by less than the padding", {10, 40.5F}, {{160000, 480000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(layout(chunker.chunkAll(audio, 480000, clips(c.timestamps))), c.expected);
    }
}

TEST(AudioChunkerTests, ChunkResultsMoveOntoTheRecordingsTimeLine) {
    testing::PackageLogCapture log;
    TranscriptionSegment withWords;
    withWords.id = 4;
    withWords.seek = 0;
    withWords.start = 1.0F;
    withWords.end = 2.5F;
    withWords.words = std::vector<WordTiming>{{"hi", {1}, 1.0F, 1.5F, 0.9F}};
    TranscriptionSegment plain = withWords;
    plain.words.reset();
    const auto result = std::make_shared<TranscriptionResult>("hi", std::vector<TranscriptionSegment>{withWords, plain},
                                                              "en", TranscriptionTimings{});
    // Past 2^24 samples a float no longer holds every index.
    TranscriptionSegment late = plain;
    late.seek = 7;
    const auto lateResult = std::make_shared<TranscriptionResult>("hi", std::vector<TranscriptionSegment>{late}, "en",
                                                                  TranscriptionTimings{});
    const std::vector<AudioChunk> chunks{{0, {}}, {160000, {}}, {336000, {}}, {20000001, {}}, {500000, {}}};
    const std::vector<TranscriptionOutcome> outcomes{
        TranscriptionResults{}, std::make_exception_ptr(WhisperError::transcriptionFailed("boom")),
        TranscriptionResults{result}, TranscriptionResults{lateResult}};

    const auto moved = AudioChunking::updateSeekOffsetsForResults(outcomes, chunks);

    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[0], result);
    EXPECT_EQ(moved[1], lateResult);
    EXPECT_EQ(lateResult->segments()[0].seek, 20000008);
    EXPECT_FLOAT_EQ(*lateResult->seekTime(), 1250.0F);
    EXPECT_EQ(result->seekTime(), 21.0F);
    const auto segments = result->segments();
    EXPECT_EQ(segments[0].id, 4);
    EXPECT_EQ(segments[0].seek, 336000);
    EXPECT_FLOAT_EQ(segments[0].start, 22.0F);
    EXPECT_FLOAT_EQ(segments[0].end, 23.5F);
    EXPECT_FLOAT_EQ(segments[0].words->at(0).start, 22.0F);
    EXPECT_FLOAT_EQ(segments[0].words->at(0).end, 22.5F);
    EXPECT_FALSE(segments[1].words);
    EXPECT_THAT(log.messages(), Contains("Error transcribing chunk 1: boom"));
}

} // namespace
} // namespace hushframe
