#pragma once
// Cutting long audio at silences into chunks of at most one model window, and
// moving the chunks' transcription results back onto the recording's time line.

#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/Models/AudioChunk.hpp"
#include "Hushframe/Core/Models/TranscriptionOutcome.hpp"
#include "Hushframe/Core/VoiceActivityDetector.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace hushframe {

class AudioChunking {
public:
    virtual ~AudioChunking() = default;

    // The chunks of the audio in time order, none longer than maxChunkLength
    // samples, each with the index of its first sample in the recording.
    virtual std::vector<AudioChunk> chunkAll(const std::vector<float>& audioArray, std::int64_t maxChunkLength,
                                             const std::optional<DecodingOptions>& decodeOptions) = 0;

    // For each chunk's successful, non-empty outcome: sets each result's
    // seekTime to the chunk's start in seconds and shifts its segments' seek
    // by the chunk's seekOffsetIndex and their start, end and word times by the
    // seconds, in place. Failures are logged at debug level ("Error
    // transcribing chunk i: ...") and skipped. Returns the results in chunk
    // order; outcomes without a chunk (or chunks without an outcome) are ignored.
    static TranscriptionResults updateSeekOffsetsForResults(const std::vector<TranscriptionOutcome>& chunkedResults,
                                                            const std::vector<AudioChunk>& audioChunks);
};

class VADAudioChunker : public AudioChunking {
public:
    // Without a detector the default EnergyVAD is used.
    explicit VADAudioChunker(std::int64_t windowPadding = 16000, std::shared_ptr<const VoiceActivityDetector> vad = {});

    // Audio of at most maxChunkLength samples is one chunk at 0. Longer audio
    // is cut within each seek clip of the options (defaults when absent): a
    // chunk that cannot reach the clip's end ends in the middle of the longest
    // silence of the second half of its span, or at its full length when that
    // half holds no silence. Once a chunk ends within windowPadding samples
    // (a negative padding counts as 0) of the clip's end, no further cut is
    // sought: the samples left up to the clip's end become a chunk of their
    // own, so the chunks cover every sample of the clips within the audio.
    // Chunks end at the array's end at the latest. Throws WhisperError
    // (audioProcessingFailed) "startIndex is outside the buffer size" when a
    // clip places a chunk start outside the audio, and "maxChunkLength must be
    // at least one sample" for a smaller maxChunkLength on audio longer than it.
    std::vector<AudioChunk> chunkAll(const std::vector<float>& audioArray, std::int64_t maxChunkLength,
                                     const std::optional<DecodingOptions>& decodeOptions) override;

    const std::int64_t windowPadding;

private:
    // The sample index at which to cut the span [startIndex, endIndex).
    std::int64_t splitOnMiddleOfLongestSilence(const std::vector<float>& audioArray, std::int64_t startIndex,
                                               std::int64_t endIndex) const;
    // The chunk ranges of one seek clip, end exclusive.
    std::vector<std::pair<std::int64_t, std::int64_t>> clipSpans(const std::vector<float>& audioArray,
                                                                 std::int64_t clipStart, std::int64_t clipEnd,
                                                                 std::int64_t maxChunkLength) const;

    std::shared_ptr<const VoiceActivityDetector> vad_;
};

} // namespace hushframe
