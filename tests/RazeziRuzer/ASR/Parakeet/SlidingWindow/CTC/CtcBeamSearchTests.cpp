#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeamSearch.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/LogAddExp.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

using namespace razeziruzer;

namespace {

const std::string mark = "\xE2\x96\x81";
const float minusInfinity = -std::numeric_limits<float>::infinity();

const CtcBeam* findBeam(const std::vector<CtcBeam>& beams, const std::vector<int>& prefix) {
    for (const auto& beam : beams) {
        if (beam.prefix == prefix) return &beam;
    }
    return nullptr;
}

TEST(LogAddExp, AddsProbabilitiesAndTreatsMinusInfinityAsZero) {
    EXPECT_FLOAT_EQ(logAddExp(std::log(0.25f), std::log(0.5f)), std::log(0.75f));
    EXPECT_EQ(logAddExp(minusInfinity, -3.0f), -3.0f);
    EXPECT_EQ(logAddExp(-2.0f, minusInfinity), -2.0f);
    EXPECT_EQ(logAddExp(minusInfinity, minusInfinity), minusInfinity);
    EXPECT_FLOAT_EQ(logAddExp(1000.0f, 1000.0f), 1000.0f + std::log(2.0f));
}

TEST(CtcBeamSearch, OneFrameKeepsTheEmptyPrefixAhead) {
    const CtcLogProbFrames frames = {{std::log(0.6f), std::log(0.4f)}};
    const Vocabulary vocabulary = {{1, mark + "x"}};
    const auto beams = ctcPrefixBeams(frames, vocabulary, nullptr, 2, 0, 0, 0, 1);
    ASSERT_EQ(beams.size(), 2u);
    EXPECT_FLOAT_EQ(findBeam(beams, {})->total(), std::log(0.6f));
    EXPECT_FLOAT_EQ(findBeam(beams, {1})->total(), std::log(0.4f));
    EXPECT_EQ(ctcBeamSearch(frames, vocabulary, nullptr, 2, 0, 0, 0, 1), "");
}

TEST(CtcBeamSearch, TwoFramesMergeThePathsOfOnePrefix) {
    const CtcLogProbFrames frames = {{std::log(0.1f), std::log(0.9f)}, {std::log(0.1f), std::log(0.9f)}};
    const Vocabulary vocabulary = {{1, mark + "x"}};
    const auto beams = ctcPrefixBeams(frames, vocabulary, nullptr, 3, 0, 0, 0, 1);
    ASSERT_EQ(beams.size(), 3u);
    EXPECT_NEAR(findBeam(beams, {1})->total(), std::log(0.99f), 1e-5);
    EXPECT_NEAR(findBeam(beams, {})->total(), std::log(0.01f), 1e-5);
    EXPECT_EQ(findBeam(beams, {1, 1})->total(), minusInfinity);
    EXPECT_EQ(ctcBeamSearch(frames, vocabulary, nullptr, 3, 0, 0, 0, 1), "x");
}

// The probability of a prefix is the sum over every frame path that collapses
// to it; with room for every beam and candidate the search must find exactly that.
TEST(CtcBeamSearch, MatchesBruteForceEnumerationOfAllPaths) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(0.05f, 1.0f);
    for (const int blankId : {0, 2}) {
        for (int frameCount = 1; frameCount <= 4; ++frameCount) {
            SCOPED_TRACE("blank " + std::to_string(blankId) + ", frames " + std::to_string(frameCount));
            constexpr int vocabularySize = 3;
            CtcLogProbFrames frames;
            for (int t = 0; t < frameCount; ++t) {
                std::vector<float> p(vocabularySize);
                float sum = 0;
                for (auto& value : p) sum += value = uniform(random);
                for (auto& value : p) value = std::log(value / sum);
                frames.push_back(p);
            }
            std::map<std::vector<int>, double> exact;
            int paths = 1;
            for (int t = 0; t < frameCount; ++t) paths *= vocabularySize;
            for (int code = 0; code < paths; ++code) {
                std::vector<int> collapsed;
                double probability = 1;
                int previous = -1;
                for (int t = 0, rest = code; t < frameCount; ++t, rest /= vocabularySize) {
                    const int token = rest % vocabularySize;
                    probability *= std::exp(static_cast<double>(frames[static_cast<std::size_t>(t)][static_cast<std::size_t>(token)]));
                    if (token != blankId && token != previous) collapsed.push_back(token);
                    previous = token;
                }
                exact[collapsed] += probability;
            }
            const auto beams = ctcPrefixBeams(frames, {}, nullptr, 1000, 0, 0, blankId, vocabularySize);
            for (const auto& [prefix, probability] : exact) {
                const auto* beam = findBeam(beams, prefix);
                ASSERT_NE(beam, nullptr);
                EXPECT_NEAR(beam->totalAcoustic(), std::log(probability), 1e-4);
            }
        }
    }
}

TEST(CtcBeamSearch, DegenerateSettingsGiveEmptyText) {
    const Vocabulary vocabulary = {{1, mark + "x"}};
    const CtcLogProbFrames frames = {{std::log(0.1f), std::log(0.9f)}};
    struct Case {
        const char* name;
        CtcLogProbFrames frames;
        int beamWidth;
        int tokenCandidates;
    };
    const std::vector<Case> cases = {
        {"no frames", {}, 4, 1},
        {"empty first frame", {{}}, 4, 1},
        {"no token candidates", frames, 4, 0},
        {"beam width 0", frames, 0, 1},
        {"negative beam width", frames, -3, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ctcBeamSearch(c.frames, vocabulary, nullptr, c.beamWidth, 0, 0, 0, c.tokenCandidates), "") << c.name;
    }
}

TEST(CtcBeamSearch, ABlankIdOutsideTheFrameMakesEveryTokenACandidate) {
    const Vocabulary vocabulary = {{0, mark + "a"}, {1, "b"}};
    const CtcLogProbFrames frames = {{std::log(0.9f), std::log(0.1f)}, {std::log(0.2f), std::log(0.8f)}};
    EXPECT_EQ(ctcBeamSearch(frames, vocabulary, nullptr, 4, 0, 0, -1, 2), "ab");
    EXPECT_EQ(findBeam(ctcPrefixBeams(frames, vocabulary, nullptr, 4, 0, 0, -1, 2), {}), nullptr);
}

ARPALanguageModel catModel() {
    ARPALanguageModel lm;
    lm.unigrams["the"] = {-1.0f, -0.5f};
    lm.unigrams["cats"] = {-3.0f, 0};
    lm.unigrams["cat"] = {-2.0f, 0};
    lm.bigrams["the"]["cats"] = {-0.25f, 0};
    return lm;
}

TEST(CtcBeamSearch, TheLanguageModelScoresEachWordOnceWhenItCompletes) {
    const Vocabulary vocabulary = {{1, mark + "the"}, {2, mark + "cat"}, {3, "s"}};
    // Frames that spell the, cat, s with certainty; blank 0.
    const CtcLogProbFrames frames = {{minusInfinity, 0, minusInfinity, minusInfinity},
                                     {minusInfinity, minusInfinity, 0, minusInfinity},
                                     {minusInfinity, minusInfinity, minusInfinity, 0}};
    const auto lm = catModel();
    const float weight = 0.5f;
    const float bonus = 2.0f;
    const auto beams = ctcPrefixBeams(frames, vocabulary, &lm, 4, weight, bonus, 0, 1);
    const auto* best = findBeam(beams, {1, 2, 3});
    ASSERT_NE(best, nullptr);
    EXPECT_FLOAT_EQ(best->lmScore, (weight * -1.0f + bonus) + (weight * -0.25f + bonus));
    EXPECT_EQ(best->prevWord, "the");
    EXPECT_EQ(ctcBeamSearch(frames, vocabulary, &lm, 4, weight, bonus, 0, 1), "the cats");

    // Without a language model the bonus is never added.
    EXPECT_EQ(findBeam(ctcPrefixBeams(frames, vocabulary, nullptr, 4, weight, bonus, 0, 1), {1, 2, 3})->lmScore, 0);
}

TEST(CtcBeamSearch, ALoneWordStartMarkEndsTheWordAndStartsAnEmptyOne) {
    const Vocabulary vocabulary = {{1, mark + "the"}, {2, mark}, {3, "cat"}};
    const CtcLogProbFrames frames = {{minusInfinity, 0, minusInfinity, minusInfinity},
                                     {minusInfinity, minusInfinity, 0, minusInfinity},
                                     {minusInfinity, minusInfinity, minusInfinity, 0}};
    const auto lm = catModel();
    const auto beams = ctcPrefixBeams(frames, vocabulary, &lm, 4, 1.0f, 0, 0, 1);
    const auto* beam = findBeam(beams, {1, 2, 3});
    ASSERT_NE(beam, nullptr);
    // "the" when the lone mark arrives, then "cat" after "the" at the end (backoff + unigram).
    EXPECT_FLOAT_EQ(beam->lmScore, -1.0f + (-0.5f + -2.0f));
}

TEST(CtcBeamSearch, MultiArrayGivesTheSameTextAsTheListForm) {
    const Vocabulary vocabulary = {{1, mark + "a"}, {2, "b"}, {3, mark + "c"}};
    std::mt19937 random(3);
    std::uniform_real_distribution<float> uniform(-5.0f, 0.0f);
    CtcLogProbFrames frames(6, std::vector<float>(4));
    platform::coreml::MLMultiArray array({1, 6, 4}, platform::coreml::MLMultiArrayDataType::float32);
    for (std::int64_t t = 0; t < 6; ++t) {
        for (std::int64_t v = 0; v < 4; ++v) {
            const float value = uniform(random);
            frames[static_cast<std::size_t>(t)][static_cast<std::size_t>(v)] = value;
            array[{0, t, v}] = value;
        }
    }
    const auto expected = ctcBeamSearch(frames, vocabulary, nullptr, 8, 0, 0, 0, 3);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(ctcBeamSearch(array, vocabulary, nullptr, 8, 0, 0, 0, 3), expected);
}

} // namespace
