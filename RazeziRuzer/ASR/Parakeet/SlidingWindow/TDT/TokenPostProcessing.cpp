#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenPostProcessing.hpp"

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

constexpr double secondsPerFrame = 0.08;
constexpr std::string_view wordBoundary = "\u2581";

std::string readable(std::string text) {
    for (auto at = text.find(wordBoundary); at != std::string::npos; at = text.find(wordBoundary, at + 1)) {
        text.replace(at, wordBoundary.size(), " ");
    }
    return text;
}

bool isPunctuation(int token) {
    const auto& ids = ASRConstants::punctuationTokens;
    return std::find(ids.begin(), ids.end(), token) != ids.end();
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

// Length of the horizontal white space (not a line end) starting at `at`, or 0.
std::size_t spaceLength(std::string_view text, std::size_t at) {
    static constexpr std::string_view spaces[] = {
        " ", "\t", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005",
        "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u202F", "\u205F", "\u3000"};
    for (const auto space : spaces) {
        if (text.substr(at).starts_with(space)) return space.size();
    }
    return 0;
}

std::size_t spaceLengthBefore(std::string_view text, std::size_t end) {
    for (std::size_t length = 1; length <= 3 && length <= end; ++length) {
        if (spaceLength(text, end - length) == length) return length;
    }
    return 0;
}

std::string_view trimmedSpaces(std::string_view text) {
    while (const auto length = spaceLength(text, 0)) text.remove_prefix(length);
    while (const auto length = spaceLengthBefore(text, text.size())) text.remove_suffix(length);
    return text;
}

bool isLineEnd(char c) { return c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

} // namespace

std::string tokensToText(const std::vector<int>& tokenIds, const Vocabulary& vocabulary) {
    std::string joined;
    for (const int id : tokenIds) {
        const auto piece = vocabulary.find(id);
        if (piece != vocabulary.end()) joined += piece->second;
    }
    return std::string(trimmedSpaces(readable(std::move(joined))));
}

bool isBlankText(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (isLineEnd(text[at])) {
            ++at;
        } else if (text.substr(at).starts_with("\u0085") || text.substr(at).starts_with("\u2028") ||
                   text.substr(at).starts_with("\u2029")) {
            at += text.substr(at).starts_with("\u0085") ? 2 : 3;
        } else if (const auto length = spaceLength(text, at)) {
            at += length;
        } else {
            return false;
        }
    }
    return true;
}

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
    if (!previous.empty() && !rest.empty() && previous.back() == rest.front() && isPunctuation(rest.front())) {
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
