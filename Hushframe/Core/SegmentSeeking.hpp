#pragma once
// The segment finder of the decoding core: it turns one decoded window into
// timed segments and the next seek position, and adds word timings to them.

#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/Models/DecodingResult.hpp"
#include "Hushframe/Core/Models/TranscriptionSegment.hpp"
#include "Hushframe/Core/Models/TranscriptionTimings.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hushframe {

class SegmentSeeking {
public:
    virtual ~SegmentSeeking() = default;

    // The next seek (samples) and the window's segments, or none for a window
    // skipped as silence.
    virtual std::pair<std::int64_t, std::optional<std::vector<TranscriptionSegment>>> findSeekPointAndSegments(
        const DecodingResult& decodingResult, const DecodingOptions& options, std::int64_t allSegmentsCount,
        std::int64_t currentSeek, std::int64_t segmentSize, std::int64_t sampleRate, int timeToken,
        int specialToken, const WhisperTokenizer& tokenizer) = 0;

    // The segments with word timings added from the decoder's alignment weights.
    virtual std::optional<std::vector<TranscriptionSegment>> addWordTimestamps(
        const std::vector<TranscriptionSegment>& segments, const platform::coreml::MLMultiArray& alignmentWeights,
        const WhisperTokenizer& tokenizer, std::int64_t seek, std::int64_t segmentSize,
        const std::string& prependPunctuations, const std::string& appendPunctuations, float lastSpeechTimestamp,
        const DecodingOptions& options, const TranscriptionTimings& timings) = 0;
};

} // namespace hushframe
