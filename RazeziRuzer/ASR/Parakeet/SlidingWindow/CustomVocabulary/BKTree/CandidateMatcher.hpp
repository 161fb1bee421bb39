#pragma once
// Lists the vocabulary terms close to one transcript word, alone, run
// together with the words after it, or as a spaced phrase with them: from a
// BK-tree when one is used, else by scanning the vocabulary.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/BKTree.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"

#include <string>
#include <vector>

namespace razeziruzer {

struct CandidateMatch {
    CustomVocabularyTerm term;
    float similarity;
    // Transcript words matched, 1 to 4, the given word first.
    int spanLength;
};

class CandidateMatcher {
public:
    // The tree is searched only when `useBKTree` is set and a tree is given;
    // both must outlive the matcher.
    CandidateMatcher(const CustomVocabularyContext& vocabulary, bool useBKTree, const BKTree* bkTree,
                     int bkTreeMaxDistance);

    // `adjacentNormalized`: normalised words after the word, nearest first.
    // Best similarity first, the longer span first among equals.
    std::vector<CandidateMatch> findCandidateTermsForWord(const std::string& normalizedWord,
                                                          const std::vector<std::string>& adjacentNormalized,
                                                          float minSimilarity) const;

private:
    void linearCandidates(const std::string& word, const std::vector<std::string>& adjacent, float minSimilarity,
                          std::vector<CandidateMatch>& out) const;
    void treeCandidates(const std::string& word, const std::vector<std::string>& adjacent, float minSimilarity,
                        std::vector<CandidateMatch>& out) const;

    const CustomVocabularyContext& vocabulary_;
    bool useBKTree_;
    const BKTree* bkTree_;
    int bkTreeMaxDistance_;
};

} // namespace razeziruzer
