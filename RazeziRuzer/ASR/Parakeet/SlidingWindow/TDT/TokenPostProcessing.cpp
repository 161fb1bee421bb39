#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenPostProcessing.hpp"

#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/SeamSequenceSearch.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string_view>

namespace razeziruzer::TokenPostProcessing {
namespace {

constexpr double secondsPerFrame = ASRConstants::secondsPerEncoderFrame;
constexpr std::string_view wordBoundary = ASRConstants::sentencePieceWordBoundary;

std::string readable(std::string text) {
    for (auto at = text.find(wordBoundary); at != std::string::npos; at = text.find(wordBoundary, at + 1)) {
        text.replace(at, wordBoundary.size(), " ");
    }
    return text;
}

// The frame moved back by the delay, never before frame 0; saturates rather
// than overflowing for absurd delays.
long long adjustedFrame(long long frame, long long delay) {
    long long adjusted = 0;
    if (__builtin_sub_overflow(frame, delay, &adjusted)) return delay > 0 ? 0 : frame;
    return std::max(0LL, adjusted);
}

struct Record {
    int tokenId;
    int timestamp;
    float confidence;
    int duration;
};

} // namespace

std::string tokensToText(const std::vector<int>& tokenIds, const Vocabulary& vocabulary) {
    std::string joined;
    for (const int id : tokenIds) {
        const auto piece = vocabulary.find(id);
        if (piece != vocabulary.end()) joined += piece->second;
    }
    return platform::text::trimHorizontalWhitespace(readable(std::move(joined)));
}

bool isBlankText(std::string_view text) { return platform::text::trimWhitespaceAndNewlines(text).empty(); }

long long emissionDelayFrames() {
    const char* value = std::getenv("TDT_EMISSION_DELAY_FRAMES");
    if (value == nullptr) return 1;
    std::string_view text(value);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return 1;
    long long delay = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), delay);
    if (error != std::errc() || end != text.data() + text.size()) return 1;
    return delay;
}

float calculateConfidence(int tokenCount, bool isEmpty, const std::vector<float>& tokenConfidences,
                          const AppLogger& logger) {
    if (isEmpty) return 0.1f;
    if (tokenConfidences.empty() || static_cast<int>(tokenConfidences.size()) != tokenCount) {
        logger.warning("Expected token confidences but got none - this should not happen");
        return 0.5f;
    }
    float sum = 0;
    for (const float confidence : tokenConfidences) sum += confidence;
    const float mean = sum / static_cast<float>(tokenCount);
    if (std::isnan(mean)) return 1.0f;
    return std::max(0.1f, std::min(mean, 1.0f));
}

std::vector<TokenTiming> createTokenTimings(const std::vector<int>& tokens, const std::vector<int>& timestamps,
                                            const std::vector<float>& confidences,
                                            const std::vector<int>& tokenDurations, const Vocabulary& vocabulary) {
    if (tokens.empty() || timestamps.size() != tokens.size() || confidences.size() != tokens.size()) return {};
    const bool durationsGiven = !tokenDurations.empty();
    const std::size_t count = durationsGiven ? std::min(tokens.size(), tokenDurations.size()) : tokens.size();
    std::vector<Record> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        records.push_back({tokens[i], timestamps[i], confidences[i], durationsGiven ? tokenDurations[i] : 0});
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.timestamp < b.timestamp; });
    const long long delay = emissionDelayFrames();
    std::vector<TokenTiming> timings;
    timings.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        const double start = static_cast<double>(adjustedFrame(record.timestamp, delay)) * secondsPerFrame;
        double end = 0;
        if (durationsGiven && record.duration > 0) {
            end = start + std::max(secondsPerFrame, record.duration * secondsPerFrame);
        } else if (i + 1 < records.size()) {
            const double nextStart = static_cast<double>(adjustedFrame(records[i + 1].timestamp, delay)) * secondsPerFrame;
            end = std::max(nextStart, start + secondsPerFrame);
        } else {
            end = start + secondsPerFrame;
        }
        if (end <= start + 0.001) end = start + 0.001;
        const auto piece = vocabulary.find(record.tokenId);
        auto text = piece != vocabulary.end() ? piece->second : "token_" + std::to_string(record.tokenId);
        timings.push_back({readable(std::move(text)), record.tokenId, start, end, record.confidence});
    }
    return timings;
}

DeduplicationResult removeDuplicateTokenSequence(const std::vector<int>& previous, const std::vector<int>& current,
                                                 int maxOverlap, int boundarySearchFrames, const AppLogger& logger) {
    std::vector<int> rest = current;
    int removed = 0;
    if (!previous.empty() && !rest.empty() && previous.back() == rest.front() &&
        ASRConstants::isPunctuationToken(rest.front())) {
        rest.erase(rest.begin());
        removed = 1;
    }
    const auto equal = [](int a, int b) { return a == b; };
    if (const auto overlap = SeamSequenceSearch::findSuffixPrefixMatch(previous, rest, maxOverlap, equal)) {
        logger.debug("Found exact suffix-prefix overlap of length " + std::to_string(overlap->length));
        return {std::vector<int>(rest.begin() + overlap->length, rest.end()), removed + overlap->length};
    }
    const int searchLength = std::min(static_cast<int>(previous.size()), 15);
    if (const auto repeat = SeamSequenceSearch::findBoundedSubstringMatch(previous, rest, searchLength,
                                                                          boundarySearchFrames, equal)) {
        const int cut = repeat->rightStartIndex + repeat->length;
        logger.debug("Found duplicate sequence length=" + std::to_string(repeat->length) +
                     " at currStart=" + std::to_string(repeat->rightStartIndex) +
                     " (boundarySearch=" + std::to_string(boundarySearchFrames) + ")");
        return {std::vector<int>(rest.begin() + cut, rest.end()), removed + cut};
    }
    return {std::move(rest), removed};
}

} // namespace razeziruzer::TokenPostProcessing
