#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/KeywordSpotting.hpp"

#include "Platform/Text/Characters.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcDPAlgorithm.hpp"

#include <algorithm>
#include <limits>

namespace razeziruzer::KeywordSpotting {

float termThreshold(std::optional<float> minScore, std::size_t tokenCount) {
    if (!minScore) return ContextBiasingConstants::defaultMinSpotterScore;
    const auto extra = static_cast<float>(
        std::max<std::int64_t>(0, static_cast<std::int64_t>(tokenCount) - ContextBiasingConstants::baselineTokenCountForThreshold));
    return *minScore - ContextBiasingConstants::thresholdRelaxationPerToken * extra;
}

SpotKeywordsResult spotKeywordsFromLogProbs(const CtcLogProbFrames& logProbs, double frameDuration,
                                            const CustomVocabularyContext& customVocabulary,
                                            std::optional<float> minScore, std::int64_t blankId) {
    if (logProbs.empty()) return {};
    SpotKeywordsResult result{{}, logProbs, frameDuration, static_cast<std::int64_t>(logProbs.size())};
    for (const auto& term : customVocabulary.terms) {
        if (static_cast<std::int64_t>(platform::text::characterCount(term.text())) < customVocabulary.minTermLength) {
            continue;
        }
        const auto& ids = term.searchTokenIds();
        if (!ids || ids->empty()) continue;
        const float threshold = termThreshold(minScore, ids->size());
        for (const auto& found : CtcDPAlgorithm::ctcWordSpotMultiple(logProbs, *ids, threshold, true, blankId)) {
            result.detections.push_back({term, found.score, result.totalFrames, found.startFrame, found.endFrame,
                                         static_cast<double>(found.startFrame) * frameDuration,
                                         static_cast<double>(found.endFrame) * frameDuration});
        }
    }
    return result;
}

ConstrainedSpot ctcWordSpotConstrained(const CtcLogProbFrames& logProbs, const std::vector<std::int64_t>& keywordTokens,
                                       std::int64_t searchStartFrame, std::int64_t searchEndFrame,
                                       std::int64_t blankId) {
    constexpr float minusInfinity = -std::numeric_limits<float>::infinity();
    const std::int64_t start = std::max<std::int64_t>(searchStartFrame, 0);
    const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(logProbs.size()), searchEndFrame);
    if (keywordTokens.empty() || end <= start) return {minusInfinity, start, start};
    const CtcLogProbFrames window(logProbs.begin() + start, logProbs.begin() + end);
    const std::size_t n = keywordTokens.size();
    if (window.size() < n) return {minusInfinity, start, start};

    const auto tables = CtcDPAlgorithm::fillDPTable(window, keywordTokens, blankId);
    std::size_t bestRow = 0;
    float best = CtcDPAlgorithm::impossibleScore;
    for (std::size_t row = n; row <= window.size(); ++row) {
        if (tables.score(row, n) > best) {
            best = tables.score(row, n);
            bestRow = row;
        }
    }
    const std::size_t count = CtcDPAlgorithm::nonWildcardCount(keywordTokens);
    const float score = count >= 1 ? best / static_cast<float>(count) : best;
    return {score, start + tables.start(bestRow, n), start + tables.end(bestRow, n)};
}

} // namespace razeziruzer::KeywordSpotting
