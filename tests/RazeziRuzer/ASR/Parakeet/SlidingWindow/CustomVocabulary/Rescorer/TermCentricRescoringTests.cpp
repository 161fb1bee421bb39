#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerFixture.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;
using namespace rescorerfixture;

namespace {

// Ten frames per 0.4 s word; the third word's frames spell zoviri.
const std::string zoviriAudio = "__________" "__________" "__zoviri__" "__________";

TEST(TermCentricRescoring, ReplacesAMisheardWordKeepingItsPunctuation) {
    const auto subject = rescorer({term("Zoviri")});
    const auto words = rescorerfixture::words({"I", "like", "\"Zovery,\"", "phones"});
    const auto output = subject.rescoreWithConstrainedCTCTermCentric("I like \"Zovery,\" phones", words,
                                                                     frames(zoviriAudio), frameDuration, 4.5f, 0.5, 0.5f);
    EXPECT_TRUE(output.wasModified);
    EXPECT_EQ(output.text, "I like \"Zoviri,\" phones");
    ASSERT_EQ(output.replacements.size(), 1u);
    EXPECT_EQ(output.replacements[0].originalWord, "\"Zovery,\"");
    EXPECT_EQ(output.replacements[0].replacementWord, "Zoviri");
    EXPECT_TRUE(output.replacements[0].shouldReplace);
}

TEST(TermCentricRescoring, EmptyInputReturnsTheTranscriptByteForByte) {
    const auto subject = rescorer({term("Zoviri")});
    const std::string transcript = "  I  like zovery ";
    const auto noWords = subject.rescoreWithConstrainedCTCTermCentric(transcript, {}, frames(zoviriAudio), frameDuration,
                                                                      4.5f, 0.5, 0.5f);
    EXPECT_EQ(noWords.text, transcript);
    EXPECT_FALSE(noWords.wasModified);
    const auto noFrames = subject.rescoreWithConstrainedCTCTermCentric(
        transcript, rescorerfixture::words({"I", "like", "zovery"}), {}, frameDuration, 4.5f, 0.5, 0.5f);
    EXPECT_EQ(noFrames.text, transcript);
}

TEST(TermCentricRescoring, WhenTheAudioSaysTheRecognisedWordTheWordsComeBackSingleSpaced) {
    const auto subject = rescorer({term("Zoviri")});
    // A small bonus does not outweigh frames that spell the recognised word.
    const auto output = subject.rescoreWithConstrainedCTCTermCentric(
        "I  like zovery", rescorerfixture::words({"I", "like", "zovery"}), frames("__________" "__________" "__zovery__"),
        frameDuration, 0.5f, 0.5, 0.5f);
    EXPECT_FALSE(output.wasModified);
    EXPECT_EQ(output.text, "I like zovery");
}

TEST(TermCentricRescoring, StopwordsAndOtherTermsAreLeftAlone) {
    // "the" is a stopword; "zovari" is another term of the vocabulary.
    const auto subject = rescorer({term("Zoviri"), term("Zovari")});
    const auto stop = subject.rescoreWithConstrainedCTCTermCentric(
        "a the b", rescorerfixture::words({"a", "the", "b"}), frames("__________" "___zoviri_" "__________"),
        frameDuration, 4.5f, 0.5, 0.0f);
    for (const auto& replacement : stop.replacements) EXPECT_NE(replacement.originalWord, "the");
    const auto other = subject.rescoreWithConstrainedCTCTermCentric(
        "zovari the", rescorerfixture::words({"zovari", "the"}), frames("__zoviri__" "__________"), frameDuration,
        4.5f, 0.5, 0.5f);
    EXPECT_EQ(other.text, "zovari the");
    EXPECT_FALSE(other.wasModified);
}

TEST(TermCentricRescoring, JoinsTwoWordsIntoOneTerm) {
    const auto subject = rescorer({term("Zoviri")});
    const auto output = subject.rescoreWithConstrainedCTCTermCentric(
        "I said zo viri today", rescorerfixture::words({"I", "said", "zo", "viri", "today"}),
        frames("__________" "__________" "______zovi" "ri________" "__________"), frameDuration, 4.5f, 0.5, 0.5f);
    EXPECT_EQ(output.text, "I said Zoviri today");
    ASSERT_EQ(output.replacements.size(), 1u);
    EXPECT_EQ(output.replacements[0].originalWord, "zo viri");
}

TEST(TermCentricRescoring, TheSpotterRescuesDissimilarWordsInSmallVocabularies) {
    const auto words = rescorerfixture::words({"I", "like", "banana", "phones"});
    const auto small = rescorer({term("Zoviri")});
    EXPECT_EQ(small.rescoreWithConstrainedCTCTermCentric("", words, frames(zoviriAudio), frameDuration, 4.5f, 0.5, 0.5f).text,
              "I like Zoviri phones");
    std::vector<CustomVocabularyTerm> eleven = {term("Zoviri")};
    // Fillers that resemble none of the words.
    for (char c = 'a'; c < 'k'; ++c) eleven.push_back(term(std::string("Qxjq") + c));
    EXPECT_EQ(rescorer(eleven).rescoreWithConstrainedCTCTermCentric("", words, frames(zoviriAudio), frameDuration, 4.5f,
                                                                    0.5, 0.5f).text,
              "I like banana phones");
}

PendingReplacement pending(std::int64_t first, std::int64_t length, float similarity, const std::string& replacement) {
    CTCMatchCandidate candidate;
    candidate.originalPhrase = "w" + std::to_string(first);
    candidate.spanLength = length;
    for (std::int64_t k = first; k < first + length; ++k) candidate.spanIndices.push_back(k);
    CTCMatchResult result{true, -5.0f, -1.0f, replacement, "r"};
    return {candidate, result, similarity};
}

TEST(TermCentricRescoring, ResolutionRanksByRoundedSimilarityThenShorterSpan) {
    const auto subject = rescorer({});
    struct Case {
        const char* name;
        std::vector<PendingReplacement> pending;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"higher bucket wins", {pending(0, 2, 0.824f, "Low"), pending(1, 1, 0.826f, "High")}, "w0 High w2"},
        {"same bucket: shorter span", {pending(0, 2, 0.874f, "Long"), pending(1, 1, 0.826f, "Short")}, "w0 Short w2"},
        {"two-word replacement leaves one word", {pending(0, 2, 0.9f, "Both")}, "Both w2"},
        {"disjoint both apply", {pending(0, 1, 0.9f, "A"), pending(2, 1, 0.7f, "C")}, "A w1 C"},
    };
    for (const auto& c : cases) {
        std::vector<RescorerWordTiming> modified = rescorerfixture::words({"w0", "w1", "w2"});
        std::unordered_set<std::int64_t> replaced;
        std::vector<RescoringResult> results;
        const auto output = subject.finalizeReplacements(c.pending, modified, replaced, results);
        EXPECT_EQ(output.text, c.expected) << c.name;
        EXPECT_EQ(output.wasModified, !output.replacements.empty()) << c.name;
    }
}

} // namespace
