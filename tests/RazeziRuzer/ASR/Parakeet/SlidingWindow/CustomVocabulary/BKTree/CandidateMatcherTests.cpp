#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/CandidateMatcher.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace razeziruzer;

namespace {

struct Expected {
    std::string term;
    float similarity;
    int span;
};

void expectCandidates(const std::vector<CandidateMatch>& found, const std::vector<Expected>& expected,
                      const std::string& name) {
    ASSERT_EQ(found.size(), expected.size()) << name;
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].term.text(), expected[i].term) << name << " #" << i;
        EXPECT_FLOAT_EQ(found[i].similarity, expected[i].similarity) << name << " #" << i;
        EXPECT_EQ(found[i].spanLength, expected[i].span) << name << " #" << i;
    }
}

// The scan normalises the term side and tries spaced phrases only for
// multi-word terms; the tree holds lower-cased texts, bounds each search by
// the distance window and tries spaced phrases for every term.
void expectBranches(const CustomVocabularyContext& vocabulary, const std::string& word,
                    const std::vector<std::string>& adjacent, float minSimilarity,
                    const std::vector<Expected>& scanned, const std::vector<Expected>& searched,
                    const std::string& name) {
    const BKTree tree(vocabulary.terms);
    expectCandidates(CandidateMatcher(vocabulary, false, &tree, 3).findCandidateTermsForWord(word, adjacent, minSimilarity),
                     scanned, name + " (scan)");
    expectCandidates(CandidateMatcher(vocabulary, true, &tree, 3).findCandidateTermsForWord(word, adjacent, minSimilarity),
                     searched, name + " (tree)");
    expectCandidates(CandidateMatcher(vocabulary, true, nullptr, 3).findCandidateTermsForWord(word, adjacent, minSimilarity),
                     scanned, name + " (switch on, no tree)");
}

TEST(CandidateMatcher, RunsTogetherWordsThatSpellAOneWordTerm) {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {CustomVocabularyTerm("Zovirivo")};
    // "zovi" alone is 4 edits away, beyond the tree's window of 2 for a four-letter word.
    expectBranches(vocabulary, "zovi", {"rivo"}, 0.5f, {{"Zovirivo", 1.0f, 2}, {"Zovirivo", 0.5f, 1}},
                   {{"Zovirivo", 1.0f, 2}, {"Zovirivo", 1.0f - 1.0f / 9.0f, 2}}, "concatenation first");
}

TEST(CandidateMatcher, MatchesMultiWordTermsAsSpacedPhrases) {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {CustomVocabularyTerm("Ostrel Virorez")};
    expectBranches(vocabulary, "ostrel", {"virorez"}, 0.5f, {{"Ostrel Virorez", 1.0f, 2}},
                   {{"Ostrel Virorez", 1.0f, 2}, {"Ostrel Virorez", std::sqrt(13.0f / 14.0f) * (13.0f / 14.0f), 2}},
                   "one adjacent word");
    // Three adjacent words try spans 2, 3 and 4 against the term.
    const CandidateMatcher scan(vocabulary, false, nullptr, 3);
    const auto found = scan.findCandidateTermsForWord("ostrel", {"virorez", "x", "y"}, 0.0f);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].spanLength, 2);
    EXPECT_EQ(found[1].spanLength, 3);
    EXPECT_EQ(found[2].spanLength, 4);
}

TEST(CandidateMatcher, ShortThreeWordConcatenationsAreNotTried) {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {CustomVocabularyTerm("abcde")};
    // "a" + "b" + "cde" has five characters.
    const CandidateMatcher scan(vocabulary, false, nullptr, 3);
    for (const auto& match : scan.findCandidateTermsForWord("a", {"b", "cde"}, 0.0f)) EXPECT_NE(match.spanLength, 3);
    EXPECT_TRUE(scan.findCandidateTermsForWord("", {"b"}, 0.0f).empty());
}

TEST(CandidateMatcher, EqualSimilaritiesPutTheLongerSpanFirstThenKeepCollectionOrder) {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {CustomVocabularyTerm("abcde"), CustomVocabularyTerm("abcdx")};
    const CandidateMatcher scan(vocabulary, false, nullptr, 3);
    const auto found = scan.findCandidateTermsForWord("abcdy", {}, 0.5f);
    expectCandidates(found, {{"abcde", 0.8f, 1}, {"abcdx", 0.8f, 1}}, "collection order");
}

} // namespace
