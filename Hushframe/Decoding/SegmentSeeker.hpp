#pragma once
// Turns one decoded window into timed segments: adjacent timestamp tokens
// close one segment and open the next, and the last complete timestamp says
// how far the next window starts. A window judged silent yields no segments
// and a full-window advance.

#include "Hushframe/Core/Models/WordTiming.hpp"
#include "Hushframe/Core/SegmentSeeking.hpp"

namespace hushframe {

class SegmentSeeker : public SegmentSeeking {
public:
    std::pair<std::int64_t, std::optional<std::vector<TranscriptionSegment>>> findSeekPointAndSegments(
        const DecodingResult& decodingResult, const DecodingOptions& options, std::int64_t allSegmentsCount,
        std::int64_t currentSeek, std::int64_t segmentSize, std::int64_t sampleRate, int timeToken,
        int specialToken, const WhisperTokenizer& tokenizer) override;

    // Aligns the segments' tokens with the weights (row k for the k-th token
    // of the segments in order) and writes the refined words into them.
    // Throws WhisperError (segmentingFailed) for weights without a dimension.
    std::optional<std::vector<TranscriptionSegment>> addWordTimestamps(
        const std::vector<TranscriptionSegment>& segments, const platform::coreml::MLMultiArray& alignmentWeights,
        const WhisperTokenizer& tokenizer, std::int64_t seek, std::int64_t segmentSize,
        const std::string& prependPunctuations, const std::string& appendPunctuations, float lastSpeechTimestamp,
        const DecodingOptions& options, const TranscriptionTimings& timings) override;

    // Median duration of the words that last (at most 0.7 s) and twice that.
    static std::pair<float, float> calculateWordDurationConstraints(const std::vector<WordTiming>& alignment);
    // Words at sentence ends lasting more than maxDuration are cut to it.
    static std::vector<WordTiming> truncateLongWordsAtSentenceBoundaries(std::vector<WordTiming> alignment,
                                                                         float maxDuration);
    // Opening punctuation joins the next word, closing punctuation the previous one.
    static std::vector<WordTiming> mergePunctuations(const std::vector<WordTiming>& alignment,
                                                     const std::string& prepended, const std::string& appended);
    // Distributes the words over the segments, in absolute time, and
    // reconciles segment edges with them.
    static std::vector<TranscriptionSegment> updateSegmentsWithWordTimings(
        std::vector<TranscriptionSegment> segments, const std::vector<WordTiming>& mergedAlignment, std::int64_t seek,
        float lastSpeechTimestamp, float constrainedMedianDuration, float maxDuration,
        const WhisperTokenizer& tokenizer);
};

} // namespace hushframe
