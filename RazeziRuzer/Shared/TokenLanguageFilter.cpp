#include "RazeziRuzer/Shared/TokenLanguageFilter.hpp"

#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {

namespace {

// Probability of the logit at `kept` under a softmax over all logits; 0 when
// the largest logit is not finite.
float softmaxProbability(const std::vector<float>& logits, std::size_t count, std::size_t kept) {
    float largest = logits[0];
    for (std::size_t i = 1; i < count; ++i) {
        if (logits[i] > largest) largest = logits[i];
    }
    if (!std::isfinite(largest)) return 0;
    float sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += std::exp(logits[i] - largest);
    if (!(sum > 0)) return 0;
    const float probability = std::exp(logits[kept] - largest) / sum;
    if (std::isnan(probability)) return 1;
    return std::clamp(probability, 0.0f, 1.0f);
}

} // namespace

std::string TokenLanguageFilter::withoutWordBoundaries(std::string_view tokenText) {
    const auto marker = ASRConstants::sentencePieceWordBoundary;
    std::string result;
    result.reserve(tokenText.size());
    std::size_t start = 0;
    for (auto found = tokenText.find(marker); found != std::string_view::npos; found = tokenText.find(marker, start)) {
        result.append(tokenText.substr(start, found - start));
        start = found + marker.size();
    }
    result.append(tokenText.substr(start));
    return result;
}

bool TokenLanguageFilter::tokenIsWrittenIn(std::string_view tokenText, Script script) {
    return isWrittenIn(withoutWordBoundaries(tokenText), script);
}

std::optional<TokenLanguageFilter::Candidate> TokenLanguageFilter::filterTopK(
    const std::vector<int>& topKIds, const std::vector<float>& topKLogits,
    const std::unordered_map<int, std::string>& vocabulary, Script preferredScript) {
    const auto count = std::min(topKIds.size(), topKLogits.size());
    if (count == 0) return std::nullopt;

    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < count; ++i) {
        const auto text = vocabulary.find(topKIds[i]);
        if (text == vocabulary.end() || !tokenIsWrittenIn(text->second, preferredScript)) continue;
        if (!best || topKLogits[i] > topKLogits[*best]) best = i;
    }
    if (!best) return std::nullopt;
    return Candidate{topKIds[*best], softmaxProbability(topKLogits, count, *best)};
}

} // namespace razeziruzer
