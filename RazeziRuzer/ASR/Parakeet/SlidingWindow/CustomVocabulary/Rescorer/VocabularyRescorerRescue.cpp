#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorer.hpp"

#include "Platform/Text/Characters.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerStopwords.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {

namespace {

constexpr float rescueMinScore = -10.0f;
constexpr std::size_t maxRescueSpan = 4;

} // namespace

std::vector<std::int64_t> VocabularyRescorer::wordIndices(const std::vector<WordTiming>& wordTimings, double start,
                                                          double end) {
    if (wordTimings.empty() || !(end > start)) return {};
    std::vector<std::int64_t> overlapping;
    for (std::size_t i = 0; i < wordTimings.size(); ++i) {
        if (start > wordTimings[i].endTime) continue;
        if (wordTimings[i].startTime > end) break;
        overlapping.push_back(static_cast<std::int64_t>(i));
    }
    if (!overlapping.empty()) {
        std::vector<std::int64_t> run{overlapping.front()};
        for (std::size_t k = 1; k < overlapping.size() && overlapping[k] == run.back() + 1; ++k) run.push_back(overlapping[k]);
        return run;
    }
    const double middle = (start + end) / 2;
    std::size_t nearest = 0;
    double nearestDistance = std::abs((wordTimings[0].startTime + wordTimings[0].endTime) / 2 - middle);
    for (std::size_t i = 1; i < wordTimings.size(); ++i) {
        const double distance = std::abs((wordTimings[i].startTime + wordTimings[i].endTime) / 2 - middle);
        if (distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return {static_cast<std::int64_t>(nearest)};
}

void VocabularyRescorer::collectSpotterAnchoredCandidates(const std::vector<WordTiming>& wordTimings,
                                                          const CtcLogProbFrames& logProbs, double frameDuration,
                                                          float cbw, double marginSeconds,
                                                          const std::unordered_set<std::string>& vocabularyNormalizedSet,
                                                          std::vector<PendingReplacement>& pendingReplacements) const {
    auto detections = spotter_.spotKeywordsFromLogProbs(logProbs, frameDuration, vocabulary_, rescueMinScore).detections;
    if (detections.empty()) return;
    std::stable_sort(detections.begin(), detections.end(),
                     [](const KeywordDetection& a, const KeywordDetection& b) { return a.score > b.score; });
    std::unordered_set<std::string> seen;
    for (const auto& detection : detections) {
        const auto& term = detection.term;
        if (static_cast<std::int64_t>(platform::text::characterCount(term.text())) < vocabulary_.minTermLength) continue;
        const auto indices = wordIndices(wordTimings, detection.startTime, detection.endTime);
        if (indices.empty() || indices.size() > maxRescueSpan) continue;
        const std::string key =
            term.textLowercased() + ":" + std::to_string(indices.front()) + ":" + std::to_string(indices.size());
        if (!seen.insert(key).second) continue;

        std::string spanText;
        std::vector<std::string> spanWords;
        for (const auto index : indices) {
            const auto& word = wordTimings[static_cast<std::size_t>(index)].word;
            spanText += (spanText.empty() ? "" : " ") + word;
            spanWords.push_back(normalizeForSimilarity(word));
        }
        const std::string normalized = normalizeForSimilarity(spanText);
        const auto forms = buildNormalizedForms(term, vocabulary_);
        std::unordered_set<std::string> formTexts;
        for (const auto& form : forms) formTexts.insert(form.normalized);
        if ((vocabularyNormalizedSet.contains(normalized) && !formTexts.contains(normalized)) ||
            normalized == normalizeForSimilarity(term.text()) || formTexts.contains(normalized)) {
            continue;
        }
        const auto& tokens = term.searchTokenIds();
        if (!tokens || tokens->empty()) continue;
        const auto& stopwords = RescorerStopwords::stopwords();
        const bool allStopwords = std::all_of(spanWords.begin(), spanWords.end(),
                                              [&](const std::string& word) { return stopwords.contains(word); });
        if (allStopwords) continue;
        float best = 0;
        for (const auto& form : forms) best = std::max(best, stringSimilarity(normalized, form.normalized));
        CTCMatchCandidate candidate{spanText,
                                    term.text(),
                                    *tokens,
                                    best,
                                    static_cast<std::int64_t>(indices.size()),
                                    indices,
                                    wordTimings[static_cast<std::size_t>(indices.front())].startTime,
                                    wordTimings[static_cast<std::size_t>(indices.back())].endTime};
        auto result = evaluateCTCMatch(candidate, logProbs, frameDuration, cbw, marginSeconds);
        if (!result.shouldReplace) continue;
        if (debugMode_) {
            char scores[96];
            std::snprintf(scores, sizeof scores, "spotter=%.2f, sim=%.2f", static_cast<double>(detection.score),
                          static_cast<double>(best));
            logger_.debug("  [SPOTTER-RESCUE] '" + spanText + "' \xE2\x86\x92 '" + term.text() + "' " + scores);
        }
        pendingReplacements.push_back({std::move(candidate), std::move(result), best});
    }
}

} // namespace razeziruzer
