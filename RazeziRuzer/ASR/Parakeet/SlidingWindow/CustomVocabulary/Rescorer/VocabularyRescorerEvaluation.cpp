#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorer.hpp"

#include "Platform/Text/Characters.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerStopwords.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcDPAlgorithm.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace razeziruzer {

namespace {

constexpr float minusInfinity = -std::numeric_limits<float>::infinity();

std::string twoDecimals(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    return text;
}

// A score from an alignment that found no path (the table's impossible score,
// divided by the token count) or no window at all is no evidence.
bool isEvidence(float score, std::size_t tokenCount) {
    const float unreachable = CtcDPAlgorithm::impossibleScore / 2 / static_cast<float>(std::max<std::size_t>(1, tokenCount));
    return std::isfinite(score) && score > unreachable;
}

std::string firstWord(const std::string& phrase) {
    const auto start = phrase.find_first_not_of(' ');
    if (start == std::string::npos) return phrase;
    return phrase.substr(start, phrase.find(' ', start) - start);
}

} // namespace

CTCMatchResult VocabularyRescorer::evaluateCTCMatch(const CTCMatchCandidate& candidate, const CtcLogProbFrames& logProbs,
                                                    double frameDuration, float cbw, double marginSeconds) const {
    const auto margin = static_cast<std::int64_t>(marginSeconds / frameDuration);
    const auto spanStart = static_cast<std::int64_t>(candidate.spanStartTime / frameDuration);
    const auto spanEnd = static_cast<std::int64_t>(candidate.spanEndTime / frameDuration);
    const std::int64_t from = std::max<std::int64_t>(0, spanStart - margin);
    const std::int64_t to = std::min<std::int64_t>(spanEnd + margin, static_cast<std::int64_t>(logProbs.size()));
    const auto score = [&](const std::vector<std::int64_t>& tokens) {
        return spotter_.ctcWordSpotConstrained(logProbs, tokens, from, to).score;
    };

    float vocabScore = score(candidate.vocabTokens);
    std::vector<std::int64_t> chosen = candidate.vocabTokens;
    if (!ctcTokenizer_) {
        if (debugMode_) logger_.debug("  [WARN] No tokenizer - skipping CTC comparison for '" + candidate.originalPhrase + "'");
        return {false, minusInfinity, vocabScore, candidate.vocabTerm, "No tokenizer available"};
    }
    const auto plain = ctcTokenizer_->encodeWithoutBoundary(candidate.vocabTerm);
    std::vector<std::int64_t> plainTokens(plain.begin(), plain.end());
    if (!plainTokens.empty() && plainTokens != candidate.vocabTokens) {
        if (const float plainScore = score(plainTokens); plainScore > vocabScore) {
            vocabScore = plainScore;
            chosen = std::move(plainTokens);
        }
    }
    const auto phrase = ctcTokenizer_->encode(candidate.originalPhrase);
    if (phrase.empty()) {
        if (debugMode_) logger_.debug("  [WARN] Empty tokens for '" + candidate.originalPhrase + "' - skipping");
        return {false, minusInfinity, vocabScore, candidate.vocabTerm, "Empty tokens for original phrase"};
    }
    const float originalScore = score(std::vector<std::int64_t>(phrase.begin(), phrase.end()));
    const float bonus = config_.adaptiveCbw(cbw, static_cast<std::int64_t>(chosen.size()));
    const float boosted = vocabScore + bonus;
    const bool shouldReplace = isEvidence(vocabScore, chosen.size()) && boosted > originalScore;
    const std::string label = candidate.spanLength >= 2 ? "CTC-vs-CTC (multi-word)" : "CTC-vs-CTC";
    return {shouldReplace, originalScore, boosted,
            preserveCapitalization(firstWord(candidate.originalPhrase), candidate.vocabTerm),
            label + ": '" + candidate.vocabTerm + "'=" + twoDecimals(boosted) + " > '" + candidate.originalPhrase +
                "'=" + twoDecimals(originalScore)};
}

float VocabularyRescorer::checkLengthRatioRules(const std::string& normalizedWord, const std::string& vocabTerm,
                                                float /*currentSimilarity*/, float minSimilarity) {
    const auto wordLength = platform::text::characterCount(normalizedWord);
    const auto termLength = platform::text::characterCount(vocabTerm);
    const float ratio = static_cast<float>(wordLength) / static_cast<float>(termLength);
    if (ratio < ContextBiasingConstants::lengthRatioThreshold &&
        wordLength <= static_cast<std::size_t>(ContextBiasingConstants::shortWordMaxLength)) {
        return std::max(ContextBiasingConstants::shortWordSimilarity, minSimilarity);
    }
    return minSimilarity;
}

StopwordDecision VocabularyRescorer::checkStopwordRules(const std::string& normalizedWord, std::int64_t spanLength,
                                                        const std::vector<std::string>& spanWords,
                                                        const std::string& /*vocabTerm*/, float currentSimilarity) {
    if (spanLength <= 1) return {RescorerStopwords::stopwords().contains(normalizedWord), currentSimilarity};
    const bool hasStopword = std::any_of(spanWords.begin(), spanWords.end(), [](const std::string& word) {
        return RescorerStopwords::multiWordStopwords().contains(word);
    });
    return {false, hasStopword ? std::max(ContextBiasingConstants::stopwordSpanSimilarity, currentSimilarity)
                               : currentSimilarity};
}

} // namespace razeziruzer
