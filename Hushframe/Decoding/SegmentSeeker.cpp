#include "Hushframe/Decoding/SegmentSeeker.hpp"

#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/TextTokens.hpp"

#include <algorithm>

namespace hushframe {

namespace {

struct WindowContext {
    const DecodingResult& result;
    const DecodingOptions& options;
    const WhisperTokenizer& tokenizer;
    std::int64_t currentSeek;
    float timeOffset;
    int timeToken;
};

TranscriptionSegment makeSegment(const WindowContext& window, std::int64_t id, std::size_t first, std::size_t last,
                                 float start, float end) {
    TranscriptionSegment segment;
    segment.id = id;
    segment.seek = window.currentSeek;
    segment.start = start;
    segment.end = end;
    const auto begin = window.result.tokens.begin();
    segment.tokens.assign(begin + static_cast<std::ptrdiff_t>(first), begin + static_cast<std::ptrdiff_t>(last));
    const auto logBegin = window.result.tokenLogProbs.begin();
    segment.tokenLogProbs.assign(logBegin + static_cast<std::ptrdiff_t>(first),
                                 logBegin + static_cast<std::ptrdiff_t>(last));
    const int specialBegin = window.tokenizer.specialTokens().specialTokenBegin;
    segment.text = window.tokenizer.decode(window.options.skipSpecialTokens ? textTokens(segment.tokens, specialBegin)
                                                                            : segment.tokens);
    segment.temperature = window.result.temperature;
    segment.avgLogprob = window.result.avgLogProb;
    segment.compressionRatio = window.result.compressionRatio;
    segment.noSpeechProb = window.result.noSpeechProb;
    return segment;
}

float secondsOf(int timestampToken, int timeToken) { return static_cast<float>(timestampToken - timeToken) * 0.02F; }

} // namespace

std::pair<std::int64_t, std::optional<std::vector<TranscriptionSegment>>> SegmentSeeker::findSeekPointAndSegments(
    const DecodingResult& decodingResult, const DecodingOptions& options, std::int64_t allSegmentsCount,
    std::int64_t currentSeek, std::int64_t segmentSize, std::int64_t sampleRate, int timeToken, int,
    const WhisperTokenizer& tokenizer) {
    const float timeOffset = static_cast<float>(currentSeek) / static_cast<float>(sampleRate);
    if (options.noSpeechThreshold && decodingResult.noSpeechProb > *options.noSpeechThreshold &&
        !(options.logProbThreshold && decodingResult.avgLogProb > *options.logProbThreshold)) {
        return {currentSeek + segmentSize, std::nullopt};
    }
    const auto& tokens = decodingResult.tokens;
    std::vector<bool> isTimestamp;
    for (const int token : tokens) isTimestamp.push_back(token >= timeToken);
    const std::size_t n = tokens.size();
    const bool singleTimestampEnding = n >= 3 && !isTimestamp[n - 3] && isTimestamp[n - 2] && !isTimestamp[n - 1];
    const bool noTimestampEnding = n >= 3 && !isTimestamp[n - 3] && !isTimestamp[n - 2] && !isTimestamp[n - 1];
    std::vector<std::size_t> consecutive;
    for (std::size_t i = 1; i < n; ++i) {
        if (isTimestamp[i - 1] && isTimestamp[i]) consecutive.push_back(i);
    }
    const WindowContext window{decodingResult, options, tokenizer, currentSeek, timeOffset, timeToken};
    std::vector<TranscriptionSegment> segments;

    if (consecutive.empty()) {
        std::optional<int> lastTimestamp;
        for (const int token : tokens) {
            if (token > timeToken) lastTimestamp = token;
        }
        const float duration = lastTimestamp ? secondsOf(*lastTimestamp, timeToken)
                                             : static_cast<float>(segmentSize) / static_cast<float>(sampleRate);
        segments.push_back(makeSegment(window, allSegmentsCount, 0, n, timeOffset, timeOffset + duration));
        return {currentSeek + segmentSize, std::move(segments)};
    }

    std::vector<std::size_t> slices = consecutive;
    if (singleTimestampEnding) {
        std::size_t lastTimestampIndex = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (isTimestamp[i]) lastTimestampIndex = i;
        }
        slices.push_back(lastTimestampIndex + 1);
    } else if (noTimestampEnding) {
        slices.push_back(n);
    }
    std::size_t previous = 0;
    for (const std::size_t sliceEnd : slices) {
        std::optional<int> first;
        int last = 0;
        for (std::size_t i = previous; i < sliceEnd; ++i) {
            if (!isTimestamp[i]) continue;
            if (!first) first = tokens[i];
            last = tokens[i];
        }
        const auto id = allSegmentsCount + static_cast<std::int64_t>(segments.size());
        segments.push_back(makeSegment(window, id, previous, sliceEnd, timeOffset + secondsOf(first.value_or(timeToken), timeToken),
                                       timeOffset + secondsOf(last, timeToken)));
        previous = sliceEnd;
    }
    std::int64_t newSeek = currentSeek + segmentSize;
    if (!noTimestampEnding) {
        const int token = tokens[singleTimestampEnding ? previous - 1 : previous];
        const float position = static_cast<float>(token - timeToken);
        newSeek = currentSeek + static_cast<std::int64_t>(position * 0.02F * static_cast<float>(sampleRate));
    }
    return {newSeek, std::move(segments)};
}

} // namespace hushframe
