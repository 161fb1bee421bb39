#include "Hushframe/Audio/AudioChunker.hpp"
#include "Hushframe/Core/WhisperError.hpp"
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

TEST(AudioChunkerTests, NoChunkStartsWithinThePaddingOfTheClipEnd) {
    VADAudioChunker chunker;
    // The pause is frames 146 to 148 of the second half (from 240000): the cut lands at 475200.
    const auto audio = speech(490000, {{473600, 478400}});
    EXPECT_EQ(layout(chunker.chunkAll(audio, 480000, std::nullopt)), (Layout{{0, 475200}}));
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
    try {
        chunker.chunkAll(audio, 480000, clips({50, 100}));
        FAIL() << "chunked a clip past the audio";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperErrorKind::audioProcessingFailed);
        EXPECT_EQ(error.message(), "startIndex is outside the buffer size");
    }
    EXPECT_TRUE(chunker.chunkAll(audio, 480000, clips({50})).empty());
    // Clips are honoured, each on its own.
    EXPECT_EQ(layout(chunker.chunkAll(audio, 480000, clips({1, 3, 10}))),
              (Layout{{16000, 32000}, {160000, 480000}}));
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
    const std::vector<AudioChunk> chunks{{0, {}}, {160000, {}}, {336000, {}}, {500000, {}}};
    const std::vector<TranscriptionOutcome> outcomes{
        TranscriptionResults{}, std::make_exception_ptr(WhisperError::transcriptionFailed("boom")),
        TranscriptionResults{result}};

    const auto moved = AudioChunking::updateSeekOffsetsForResults(outcomes, chunks);

    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], result);
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
