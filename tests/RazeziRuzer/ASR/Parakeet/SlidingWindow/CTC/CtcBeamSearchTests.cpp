#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeamSearch.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/LogAddExp.hpp"

#include <gtest/gtest.h>

#include <algorithm>
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
    lm.setUnigram("the", {-1.0f, -0.5f});
    lm.setUnigram("cats", {-3.0f, 0});
    lm.setUnigram("cat", {-2.0f, 0});
    lm.setBigram("the", "cats", {-0.25f, 0});
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

// Words are read back from the prefix only up to the model's longest word:
// a word of exactly that length is still found, a longer one is unknown.
TEST(CtcBeamSearch, WordsUpToTheLongestOfTheModelAreScored) {
    const Vocabulary vocabulary = {{1, mark + "cat"}, {2, "cat"}, {3, "s"}};
    ARPALanguageModel lm;
    lm.setUnigram("cat", {-1.0f, 0});
    lm.setUnigram("catcatcats", {-4.0f, 0});
    struct Case {
        const char* name;
        std::vector<int> tokens; // 0 is the blank between repeats
        float lmScore;
    };
    const Case cases[] = {
        {"one piece", {1}, -1.0f},
        {"the longest word", {1, 2, 0, 2, 3}, -4.0f},
        {"longer than the longest", {1, 2, 0, 2, 0, 2, 3}, ARPALanguageModel::unkLogProb},
        {"as long, not a word", {1, 3, 2, 0, 2}, ARPALanguageModel::unkLogProb},
    };
    for (const auto& c : cases) {
        CtcLogProbFrames frames;
        for (const int token : c.tokens) {
            frames.emplace_back(4, minusInfinity);
            frames.back()[static_cast<std::size_t>(token)] = 0;
        }
        const auto beams = ctcPrefixBeams(frames, vocabulary, &lm, 2, 1.0f, 0, 0, 1);
        ASSERT_FALSE(beams.empty()) << c.name;
        EXPECT_EQ(beams.front().lmScore, c.lmScore) << c.name;
    }
}

// The search with a plain copy of every prefix, merged through an ordered map:
// the oracle for the search with shared prefixes, which must give the same
// beams, bit for bit, in the same order.
std::vector<CtcBeam> referenceBeams(const CtcLogProbFrames& frames, const Vocabulary& vocabulary,
                                    const ARPALanguageModel* lm, std::size_t width, float weight, float bonus,
                                    int blankId, std::size_t candidateCount) {
    const auto joined = [](const std::vector<std::string>& pieces) {
        std::string word;
        for (const auto& piece : pieces) word += piece;
        return word;
    };
    std::vector<CtcBeam> beams{CtcBeam{}};
    for (const auto& frame : frames) {
        const float blank = frame[static_cast<std::size_t>(blankId)];
        std::vector<int> ids;
        for (int id = 0; id < static_cast<int>(frame.size()); ++id) {
            if (id != blankId) ids.push_back(id);
        }
        std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) { return frame[a] > frame[b]; });
        ids.resize(std::min(candidateCount, ids.size()));
        std::vector<CtcBeam> next;
        std::map<std::vector<int>, std::size_t> index;
        const auto merge = [&](CtcBeam beam) {
            const auto [slot, inserted] = index.try_emplace(beam.prefix, next.size());
            if (inserted) return next.push_back(std::move(beam));
            next[slot->second].pBlank = logAddExp(next[slot->second].pBlank, beam.pBlank);
            next[slot->second].pNonBlank = logAddExp(next[slot->second].pNonBlank, beam.pNonBlank);
        };
        for (const auto& beam : beams) {
            const float total = beam.totalAcoustic();
            merge({beam.prefix, blank + total, minusInfinity, beam.lmScore, beam.wordPieces, beam.prevWord});
            for (const int c : ids) {
                const std::string piece = vocabulary.contains(c) ? vocabulary.at(c) : "";
                float score = 0;
                auto pieces = beam.wordPieces;
                auto prev = beam.prevWord;
                if (lm && piece.starts_with(mark)) {
                    if (const auto word = joined(pieces); !word.empty()) {
                        score = weight * lm->score(word, prev) + bonus;
                        prev = word;
                    }
                    pieces.clear();
                    if (piece.size() > mark.size()) pieces.push_back(piece.substr(mark.size()));
                } else if (lm) {
                    pieces.push_back(piece);
                }
                auto extended = beam.prefix;
                extended.push_back(c);
                const bool repeat = beam.lastToken() == c;
                if (repeat) merge({beam.prefix, minusInfinity, beam.pNonBlank + frame[c], beam.lmScore, beam.wordPieces, beam.prevWord});
                merge({extended, minusInfinity, (repeat ? beam.pBlank : total) + frame[c], beam.lmScore + score, pieces, prev});
            }
        }
        std::stable_sort(next.begin(), next.end(), [](const CtcBeam& a, const CtcBeam& b) { return a.total() > b.total(); });
        if (next.size() > width) next.resize(width);
        beams = std::move(next);
    }
    for (auto& beam : beams) {
        if (const auto word = joined(beam.wordPieces); lm && !word.empty()) beam.lmScore += weight * lm->score(word, beam.prevWord) + bonus;
    }
    return beams;
}

// Nearly every word the pieces below spell in up to three pieces, with
// scores of their own, bigrams between some of them, a word known only as the
// first of a bigram, and a word longer than the others.
ARPALanguageModel wordModel() {
    ARPALanguageModel lm;
    const std::vector<std::string> starts = {"the", "cat", "a", "dog", ""};
    const std::vector<std::string> rests = {"", "s", "t", "cat"};
    std::vector<std::string> words;
    for (const auto& start : starts) {
        for (const auto& second : rests) {
            for (const auto& third : rests) {
                if (const auto word = start + second + third; !word.empty()) words.push_back(word);
            }
        }
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        lm.setUnigram(words[i], {-1.0f - 0.125f * static_cast<float>(i % 13), -0.0625f * static_cast<float>(i % 5)});
        if (i % 3 == 0) lm.setBigram(words[i], words[(i * 7 + 1) % words.size()], {-0.25f, 0});
    }
    lm.setUnigram("catcatcats", {-4.0f, 0});
    lm.setBigram("scat", "the", {-0.375f, 0});
    return lm;
}

TEST(CtcBeamSearch, SharedPrefixesGiveTheBeamsOfPlainCopies) {
    // Id 9 has no piece: it adds an empty piece to the word being built.
    const Vocabulary vocabulary = {{1, mark + "the"}, {2, mark + "cat"}, {3, "s"},     {4, mark + "a"},
                                   {5, "t"},          {6, mark},         {7, "cat"},   {8, mark + "dog"},
                                   {10, mark + "scat"}};
    const auto lm = wordModel();
    struct Case {
        const char* name;
        int frames;
        int width;
        int candidates;
        bool withModel;
        float bonus;
    };
    // The long cases make enough prefixes for the arena to drop dead ones
    // many times. A word bonus far below zero makes completing a word so
    // costly that the best beams build one word over hundreds of frames.
    const std::vector<Case> cases = {
        {"short, wide", 40, 16, 6, true, 3.0f},
        {"long, language model", 800, 4, 4, true, 3.0f},
        {"long, language model, long words", 800, 6, 5, true, -30.0f},
        {"long, acoustic only", 800, 6, 3, false, 0.3f},
    };
    for (const auto& c : cases) {
        std::mt19937 random(11);
        std::normal_distribution<float> logit(0.0f, 2.0f);
        CtcLogProbFrames frames(static_cast<std::size_t>(c.frames), std::vector<float>(11));
        for (auto& frame : frames) {
            float sum = 0;
            for (auto& value : frame) sum += std::exp(value = logit(random));
            for (auto& value : frame) value -= std::log(sum);
        }
        const ARPALanguageModel* model = c.withModel ? &lm : nullptr;
        const auto expected = referenceBeams(frames, vocabulary, model, static_cast<std::size_t>(c.width), 0.7f,
                                             c.bonus, 0, static_cast<std::size_t>(c.candidates));
        const auto beams = ctcPrefixBeams(frames, vocabulary, model, c.width, 0.7f, c.bonus, 0, c.candidates);
        ASSERT_EQ(beams.size(), expected.size()) << c.name;
        EXPECT_GT(expected.front().prefix.size(), static_cast<std::size_t>(c.frames / 4)) << c.name;
        for (std::size_t i = 0; i < beams.size(); ++i) {
            EXPECT_EQ(beams[i].prefix, expected[i].prefix) << c.name << ", beam " << i;
            EXPECT_EQ(beams[i].pBlank, expected[i].pBlank) << c.name << ", beam " << i;
            EXPECT_EQ(beams[i].pNonBlank, expected[i].pNonBlank) << c.name << ", beam " << i;
            EXPECT_EQ(beams[i].lmScore, expected[i].lmScore) << c.name << ", beam " << i;
            EXPECT_EQ(beams[i].wordPieces, expected[i].wordPieces) << c.name << ", beam " << i;
            EXPECT_EQ(beams[i].prevWord, expected[i].prevWord) << c.name << ", beam " << i;
        }
        if (c.bonus < 0) {
            std::size_t longest = 0;
            for (const auto& beam : expected) longest = std::max(longest, beam.wordPieces.size());
            EXPECT_GT(longest, static_cast<std::size_t>(c.frames / 8)) << c.name;
        }
    }
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
