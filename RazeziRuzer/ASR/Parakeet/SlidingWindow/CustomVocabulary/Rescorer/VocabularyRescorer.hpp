#pragma once
// Replaces words of a recognised transcript by custom-vocabulary terms where
// the CTC model's frames explain the term, plus a bonus, better than the
// recognised words. Immutable; rescoring never fails and never changes a word
// without evidence for the term.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/BKTree.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorerRecords.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcKeywordSpotter.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <filesystem>
#include <optional>
#include <unordered_set>

namespace razeziruzer {

class VocabularyRescorer {
public:
    using Config = VocabularyRescorerConfig;
    using WordTiming = RescorerWordTiming;

    // Loads the CTC tokenizer from the folder, or from the default CTC model
    // folder; throws the tokenizer's error.
    static VocabularyRescorer create(CtcKeywordSpotter spotter, CustomVocabularyContext vocabulary, Config config,
                                     const std::optional<std::filesystem::path>& ctcModelDirectory);

    VocabularyRescorer(CtcKeywordSpotter spotter, CustomVocabularyContext vocabulary,
                       std::optional<CtcTokenizer> ctcTokenizer, Config config);

    // A copy that takes the word-centric pass, searching a BK-tree of its terms.
    VocabularyRescorer withBKTree() const;

    // Word timings from the token timings, then the word-centric pass when
    // useBKTree is set, else the term-centric pass.
    RescoreOutput ctcTokenRescore(const std::string& transcript, const std::vector<TokenTiming>& tokenTimings,
                                  const CtcLogProbFrames& logProbs, double frameDuration, float cbw,
                                  double marginSeconds, float minSimilarity) const;

    // Words start at tokens marked with U+2581 or a space; blanks and padding are skipped.
    static std::vector<WordTiming> buildWordTimings(const std::vector<TokenTiming>& tokenTimings);

    RescoreOutput rescoreWithConstrainedCTCTermCentric(const std::string& transcript,
                                                       const std::vector<WordTiming>& wordTimings,
                                                       const CtcLogProbFrames& logProbs, double frameDuration,
                                                       float cbw, double marginSeconds, float minSimilarity) const;

    RescoreOutput rescoreWithConstrainedCTCWordCentric(const std::string& transcript,
                                                       const std::vector<WordTiming>& wordTimings,
                                                       const CtcLogProbFrames& logProbs, double frameDuration,
                                                       float cbw, double marginSeconds, float minSimilarity) const;

    CTCMatchResult evaluateCTCMatch(const CTCMatchCandidate& candidate, const CtcLogProbFrames& logProbs,
                                    double frameDuration, float cbw, double marginSeconds) const;
    static float checkLengthRatioRules(const std::string& normalizedWord, const std::string& vocabTerm,
                                       float currentSimilarity, float minSimilarity);
    static StopwordDecision checkStopwordRules(const std::string& normalizedWord, std::int64_t spanLength,
                                               const std::vector<std::string>& spanWords, const std::string& vocabTerm,
                                               float currentSimilarity);

    // Applies the best-ranked pending replacements that do not overlap and
    // rebuilds the text from the words.
    RescoreOutput finalizeReplacements(const std::vector<PendingReplacement>& pendingReplacements,
                                       std::vector<WordTiming>& modifiedWords,
                                       std::unordered_set<std::int64_t>& replacedIndices,
                                       std::vector<RescoringResult>& replacements) const;

    void collectSpotterAnchoredCandidates(const std::vector<WordTiming>& wordTimings, const CtcLogProbFrames& logProbs,
                                          double frameDuration, float cbw, double marginSeconds,
                                          const std::unordered_set<std::string>& vocabularyNormalizedSet,
                                          std::vector<PendingReplacement>& pendingReplacements) const;
    // The first run of consecutive words overlapping [start, end], else the
    // word whose centre is nearest; empty for no words or an empty range.
    static std::vector<std::int64_t> wordIndices(const std::vector<WordTiming>& wordTimings, double start, double end);

    const CustomVocabularyContext& vocabulary() const { return vocabulary_; }
    const Config& config() const { return config_; }
    bool useBKTree() const { return useBKTree_; }
    std::int64_t bkTreeMaxDistance() const { return bkTreeMaxDistance_; }

private:
    void termCentricMultiWord(const CustomVocabularyTerm& term, const std::vector<WordTiming>& words,
                              const CtcLogProbFrames& logProbs, double frameDuration, float cbw, double marginSeconds,
                              float minSimilarity, const std::unordered_set<std::string>& vocabularySet,
                              std::vector<PendingReplacement>& pending) const;
    void termCentricSingleWord(const CustomVocabularyTerm& term, const std::vector<WordTiming>& words,
                               const CtcLogProbFrames& logProbs, double frameDuration, float cbw, double marginSeconds,
                               float minSimilarity, const std::unordered_set<std::string>& vocabularySet,
                               std::vector<PendingReplacement>& pending) const;

    AppLogger logger_;
    CtcKeywordSpotter spotter_;
    CustomVocabularyContext vocabulary_;
    std::optional<CtcTokenizer> ctcTokenizer_;
    bool debugMode_ = false;
    bool useBKTree_ = ContextBiasingConstants::useBkTree;
    std::optional<BKTree> bkTree_;
    std::int64_t bkTreeMaxDistance_ = ContextBiasingConstants::bkTreeMaxDistance;
    Config config_;
};

} // namespace razeziruzer
