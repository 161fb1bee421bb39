#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerFixture.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;
using namespace rescorerfixture;

namespace {

const std::string mark = "\xE2\x96\x81";

TEST(WordCentricRescoring, TheEntryPicksThePassByTheBKTreeSwitch) {
    const auto termCentric = rescorer({term("Zoviri")});
    const auto wordCentric = termCentric.withBKTree();
    EXPECT_FALSE(termCentric.useBKTree());
    EXPECT_TRUE(wordCentric.useBKTree());
    const std::vector<TokenTiming> tokens = {{mark + "I", 1, 0.0, 0.4}, {mark + "like", 2, 0.4, 0.8},
                                             {mark + "zov", 3, 0.8, 1.0}, {"ery", 4, 1.0, 1.2},
                                             {mark + "phones", 5, 1.2, 1.6}};
    const auto logProbs = frames("__________" "__________" "__zoviri__" "__________");
    for (const auto* subject : {&termCentric, &wordCentric}) {
        const auto output = subject->ctcTokenRescore("I like zovery phones", tokens, logProbs, frameDuration, 4.5f, 0.5, 0.5f);
        EXPECT_EQ(output.text, "I like Zoviri phones") << (subject->useBKTree() ? "word-centric" : "term-centric");
    }
}

TEST(WordCentricRescoring, SpansWithStopwordsNeedHighSimilarity) {
    const auto subject = rescorer({term("Zoviri Andas")}).withBKTree();
    const auto logProbs = frames("__zoviri__" "andas_____" "__________");
    // "zoviri and" is 0.83 similar to the term, and its span holds the stopword "and".
    const auto stopped = subject.rescoreWithConstrainedCTCWordCentric("", rescorerfixture::words({"zoviri", "and"}), logProbs,
                                                                      frameDuration, 4.5f, 0.5, 0.5f);
    EXPECT_FALSE(stopped.wasModified) << stopped.text;
    // Without a stopword the same distance is enough.
    const auto replaced = subject.rescoreWithConstrainedCTCWordCentric("", rescorerfixture::words({"zoviri", "ands"}),
                                                                       logProbs, frameDuration, 4.5f, 0.5, 0.5f);
    EXPECT_EQ(replaced.text, "Zoviri Andas");
}

TEST(WordCentricRescoring, EmptyInputReturnsTheTranscript) {
    const auto subject = rescorer({term("Zoviri")}).withBKTree();
    EXPECT_EQ(subject.rescoreWithConstrainedCTCWordCentric(" x ", {}, frames("__"), frameDuration, 4.5f, 0.5, 0.5f).text, " x ");
}

} // namespace
