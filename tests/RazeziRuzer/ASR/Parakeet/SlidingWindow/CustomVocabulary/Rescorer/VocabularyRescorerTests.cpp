#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizerError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerFixture.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace razeziruzer;
using namespace rescorerfixture;

namespace {

TEST(VocabularyRescorer, AdaptiveBonusGrowsWithLongTerms) {
    const VocabularyRescorer::Config config;
    EXPECT_EQ(config.adaptiveCbw(3.0f, 3), 3.0f);
    EXPECT_FLOAT_EQ(config.adaptiveCbw(3.0f, 6), 3.9f);
    EXPECT_FLOAT_EQ(config.adaptiveCbw(3.0f, 12), 4.8f);
    const VocabularyRescorer::Config fixed{false, 3};
    EXPECT_EQ(fixed.adaptiveCbw(3.0f, 12), 3.0f);
}

TEST(VocabularyRescorer, BuildsWordTimingsFromTokenPieces) {
    const std::string m = "\xE2\x96\x81";
    const std::vector<TokenTiming> tokens = {{m + "Hel", 1, 0.00, 0.08}, {"lo", 2, 0.08, 0.16},  {",", 3, 0.16, 0.24},
                                             {"<blank>", 0, 0.24, 0.28}, {"<pad>", 0, 0.28, 0.30}, {"", 0, 0.30, 0.31},
                                             {m + "wor", 4, 0.32, 0.40}, {"ld", 5, 0.40, 0.48}, {"<blank>", 0, 0.5, 0.9},
                                             {" ", 6, 1.0, 1.1},       {"again", 7, 1.2, 1.4}};
    const auto words = VocabularyRescorer::buildWordTimings(tokens);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].word, "Hello,");
    EXPECT_EQ(words[0].startTime, 0.00);
    EXPECT_EQ(words[0].endTime, 0.24);
    EXPECT_EQ(words[1].word, "world");
    EXPECT_EQ(words[1].startTime, 0.32);
    EXPECT_EQ(words[1].endTime, 0.48);
    EXPECT_EQ(words[2].word, "again");
    EXPECT_EQ(words[2].startTime, 1.2);
    EXPECT_TRUE(VocabularyRescorer::buildWordTimings({}).empty());
}

TEST(VocabularyRescorer, FactoryFailsWithTheTokenizerError) {
    testsupport::TemporaryDirectory empty;
    EXPECT_THROW(VocabularyRescorer::create(spotter(), {}, {}, empty.path()), CtcTokenizerError);
    const auto made = rescorer({term("Zoviri")});
    EXPECT_FALSE(made.useBKTree());
    EXPECT_EQ(made.bkTreeMaxDistance(), 3);
}

TEST(VocabularyRescorer, LengthAndStopwordRules) {
    EXPECT_FLOAT_EQ(VocabularyRescorer::checkLengthRatioRules("ab", "abcde", 0.9f, 0.5f), 0.80f);
    EXPECT_FLOAT_EQ(VocabularyRescorer::checkLengthRatioRules("abcde", "abcde", 0.9f, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(VocabularyRescorer::checkLengthRatioRules("ab", "abcde", 0.9f, 0.9f), 0.9f);
    EXPECT_FLOAT_EQ(VocabularyRescorer::checkLengthRatioRules("abc", "abcd", 0.9f, 0.5f), 0.5f) << "ratio 0.75 is enough";

    EXPECT_TRUE(VocabularyRescorer::checkStopwordRules("the", 1, {"the"}, "Zoviri", 0.5f).shouldSkip);
    EXPECT_TRUE(VocabularyRescorer::checkStopwordRules("new", 1, {"new"}, "Zoviri", 0.5f).shouldSkip);
    EXPECT_FALSE(VocabularyRescorer::checkStopwordRules("zovery", 1, {"zovery"}, "Zoviri", 0.5f).shouldSkip);
    const auto withNew = VocabularyRescorer::checkStopwordRules("new", 2, {"new", "york"}, "Zoviri", 0.5f);
    EXPECT_FALSE(withNew.shouldSkip);
    EXPECT_FLOAT_EQ(withNew.adjustedMinSimilarity, 0.5f);
    EXPECT_FLOAT_EQ(VocabularyRescorer::checkStopwordRules("the", 2, {"the", "york"}, "Zoviri", 0.5f).adjustedMinSimilarity,
                    0.85f);
}

TEST(VocabularyRescorer, MapsTimeRangesToWords) {
    const std::vector<RescorerWordTiming> words = {{"a", 0.0, 0.4}, {"b", 0.5, 0.9}, {"c", 1.0, 1.4}};
    struct Case {
        const char* name;
        double start;
        double end;
        std::vector<std::int64_t> expected;
    };
    for (const auto& c : std::vector<Case>{{"middle word", 0.45, 0.95, {1}},
                                           {"all three", 0.3, 1.1, {0, 1, 2}},
                                           {"gap nearer the first", 0.42, 0.44, {0}},
                                           {"gap nearer the second", 0.46, 0.48, {1}},
                                           {"empty range", 0.5, 0.5, {}}}) {
        EXPECT_EQ(VocabularyRescorer::wordIndices(words, c.start, c.end), c.expected) << c.name;
    }
    EXPECT_TRUE(VocabularyRescorer::wordIndices({}, 0.0, 1.0).empty());
}

CTCMatchCandidate candidateFor(const std::string& phrase, const CustomVocabularyTerm& term, double start, double end,
                               std::int64_t span = 1) {
    return {phrase, term.text(), *term.ctcTokenIds(), 0.6f, span, {0}, start, end};
}

TEST(VocabularyRescorer, EvaluationComparesTheTermWithTheRecognisedWords) {
    const auto zoviri = term("Zoviri");
    const auto subject = rescorer({zoviri});
    // The frames spell zoviri without a word-start mark: the unmarked encoding wins.
    const auto logProbs = frames("____zoviri____");
    const auto won = subject.evaluateCTCMatch(candidateFor("Zovery,", zoviri, 0.16, 0.40), logProbs, frameDuration, 3.0f, 0.1);
    EXPECT_TRUE(won.shouldReplace);
    EXPECT_EQ(won.replacement, "Zoviri");
    EXPECT_LT(won.originalScore, -1.0f);
    // Six chosen tokens: the bonus is 3.9 on a per-token score of about -0.1.
    EXPECT_NEAR(won.boostedVocabScore, 3.9f - 0.1f, 0.01f);
    EXPECT_EQ(won.reason.rfind("CTC-vs-CTC: 'Zoviri'=3.80 > 'Zovery,'=", 0), 0u) << won.reason;

    const auto lower = subject.evaluateCTCMatch(candidateFor("zovery", zoviri, 0.16, 0.40), logProbs, frameDuration, 3.0f, 0.1);
    EXPECT_EQ(lower.replacement, "Zoviri");

    const auto noTokenizer = rescorer({zoviri}, false).evaluateCTCMatch(candidateFor("zovery", zoviri, 0.16, 0.40),
                                                                         logProbs, frameDuration, 3.0f, 0.1);
    EXPECT_FALSE(noTokenizer.shouldReplace);
    EXPECT_EQ(noTokenizer.reason, "No tokenizer available");
    EXPECT_EQ(noTokenizer.originalScore, -std::numeric_limits<float>::infinity());

    // Without a bonus the term needs better evidence than the recognised word.
    const auto exact = frames("____zovery____");
    EXPECT_FALSE(subject.evaluateCTCMatch(candidateFor("zovery", zoviri, 0.16, 0.40), exact, frameDuration, 0.0f, 0.1)
                     .shouldReplace);
}

TEST(VocabularyRescorer, AnUnreachableTermNeverReplacesAnUnreachableOriginal) {
    const auto subject = rescorer({});
    // No alignment exists for id 999, and the eleven tokens of the phrase do
    // not fit into the three frames of the window: neither side has evidence.
    const CTCMatchCandidate candidate{"zzzzzzzzzz", "\xC3\x84\xC3\x96", {999}, 0.6f, 1, {0}, 0.0, 0.04};
    const auto result = subject.evaluateCTCMatch(candidate, frames("___"), frameDuration, 4.5f, 0.04);
    EXPECT_EQ(result.originalScore, -std::numeric_limits<float>::infinity());
    EXPECT_FALSE(result.shouldReplace);
}

} // namespace
