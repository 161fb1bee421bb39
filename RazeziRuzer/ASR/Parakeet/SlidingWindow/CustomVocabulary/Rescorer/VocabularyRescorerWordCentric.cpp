#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorer.hpp"

#include "Platform/Text/Characters.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/CandidateMatcher.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerStopwords.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include <algorithm>

namespace razeziruzer {

namespace {

constexpr std::size_t maxFollowingWords = 3;
constexpr float spanSimilarityFloor = 0.55f;

} // namespace

VocabularyRescorer VocabularyRescorer::withBKTree() const {
    VocabularyRescorer copy = *this;
    copy.useBKTree_ = true;
    copy.bkTree_.emplace(vocabulary_.terms);
    return copy;
}

RescoreOutput VocabularyRescorer::ctcTokenRescore(const std::string& transcript,
                                                  const std::vector<TokenTiming>& tokenTimings,
                                                  const CtcLogProbFrames& logProbs, double frameDuration, float cbw,
                                                  double marginSeconds, float minSimilarity) const {
    const auto words = buildWordTimings(tokenTimings);
    if (useBKTree_) {
        return rescoreWithConstrainedCTCWordCentric(transcript, words, logProbs, frameDuration, cbw, marginSeconds,
                                                    minSimilarity);
    }
    return rescoreWithConstrainedCTCTermCentric(transcript, words, logProbs, frameDuration, cbw, marginSeconds,
                                                minSimilarity);
}

RescoreOutput VocabularyRescorer::rescoreWithConstrainedCTCWordCentric(
    const std::string& transcript, const std::vector<WordTiming>& wordTimings, const CtcLogProbFrames& logProbs,
    double frameDuration, float cbw, double marginSeconds, float minSimilarity) const {
    if (wordTimings.empty() || logProbs.empty()) return {transcript, {}, false};
    std::vector<WordTiming> modifiedWords = wordTimings;
    const auto vocabularySet = buildVocabularyNormalizedSet(vocabulary_);
    std::vector<std::string> normalized;
    for (const auto& word : wordTimings) normalized.push_back(normalizeForSimilarity(word.word));
    const CandidateMatcher matcher(vocabulary_, useBKTree_, bkTree_ ? &*bkTree_ : nullptr,
                                   static_cast<int>(bkTreeMaxDistance_));
    std::vector<PendingReplacement> pending;
    const std::size_t count = wordTimings.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (normalized[i].empty()) continue;
        std::vector<std::string> following;
        for (std::size_t k = i + 1; k < count && k <= i + maxFollowingWords && !normalized[k].empty(); ++k) {
            following.push_back(normalized[k]);
        }
        for (const auto& match : matcher.findCandidateTermsForWord(normalized[i], following, minSimilarity)) {
            const auto& term = match.term;
            if (static_cast<std::int64_t>(platform::text::characterCount(term.text())) < vocabulary_.minTermLength) continue;
            const auto& tokens = term.searchTokenIds();
            if (!tokens || tokens->empty()) continue;
            const auto length = static_cast<std::size_t>(match.spanLength);
            if (i + length > count) continue;
            std::string phrase = wordTimings[i].word;
            std::string phraseNormalized = normalized[i];
            for (std::size_t k = i + 1; k < i + length; ++k) {
                phrase += " " + wordTimings[k].word;
                phraseNormalized += " " + normalized[k];
            }
            if (phraseNormalized == normalizeForSimilarity(term.text())) continue;
            if (vocabularySet.contains(phraseNormalized)) {
                const auto forms = buildNormalizedForms(term, vocabulary_);
                const bool own = std::any_of(forms.begin(), forms.end(),
                                             [&](const NormalizedForm& form) { return form.normalized == phraseNormalized; });
                if (!own) continue;
            }
            float threshold = minSimilarity;
            if (length == 1) {
                threshold = checkLengthRatioRules(normalized[i], term.text(), match.similarity, minSimilarity);
                if (RescorerStopwords::stopwords().contains(normalized[i])) continue;
            } else {
                threshold = std::max(spanSimilarityFloor, minSimilarity);
                for (std::size_t k = i; k < i + length; ++k) {
                    if (RescorerStopwords::multiWordStopwords().contains(normalized[k])) {
                        threshold = std::max(ContextBiasingConstants::stopwordSpanSimilarity, threshold);
                    }
                }
            }
            if (threshold > match.similarity) continue;
            std::vector<std::int64_t> indices;
            for (std::size_t k = i; k < i + length; ++k) indices.push_back(static_cast<std::int64_t>(k));
            CTCMatchCandidate candidate{phrase, term.text(), *tokens, match.similarity, match.spanLength,
                                        std::move(indices), wordTimings[i].startTime, wordTimings[i + length - 1].endTime};
            auto result = evaluateCTCMatch(candidate, logProbs, frameDuration, cbw, marginSeconds);
            if (result.shouldReplace) pending.push_back({std::move(candidate), std::move(result), match.similarity});
        }
    }
    std::unordered_set<std::int64_t> replacedIndices;
    std::vector<RescoringResult> replacements;
    return finalizeReplacements(pending, modifiedWords, replacedIndices, replacements);
}

} // namespace razeziruzer
