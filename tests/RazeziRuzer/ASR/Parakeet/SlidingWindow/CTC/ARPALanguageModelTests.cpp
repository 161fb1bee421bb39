#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"

#include "Platform/Core/Logger.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;

namespace {

const std::string workedFile = "\\data\\\nngram 1=2\n\n\\1-grams:\n-1.0\thello\t-0.5\n-2.0\tworld\n\n"
                               "\\2-grams:\n-0.3\thello\tworld\n\\end\\\n";

ARPALanguageModel loadText(const std::string& text) {
    testsupport::TemporaryDirectory folder;
    return ARPALanguageModel::load(folder.write("model.arpa", text));
}

TEST(ARPALanguageModel, ReadsTheWorkedFileInNaturalLogs) {
    const auto model = loadText(workedFile);
    ASSERT_EQ(model.unigramCount(), 2u);
    EXPECT_FLOAT_EQ(model.unigram("hello")->logProb, -2.3025851f);
    EXPECT_FLOAT_EQ(model.unigram("hello")->backoff, -1.1512926f);
    EXPECT_FLOAT_EQ(model.unigram("world")->logProb, -4.6051702f);
    EXPECT_EQ(model.unigram("world")->backoff, 0.0f);
    ASSERT_EQ(model.bigramCount(), 1u);
    EXPECT_FLOAT_EQ(model.bigram("hello", "world")->logProb, -0.6907756f);
}

TEST(ARPALanguageModel, ScoresByBigramElseBackoffPlusUnigram) {
    const auto model = loadText(workedFile);
    EXPECT_FLOAT_EQ(model.score("world", "hello"), -0.6907756f);
    EXPECT_FLOAT_EQ(model.score("hello", "world"), -2.3025851f);
    EXPECT_FLOAT_EQ(model.score("hello", "hello"), -3.4538777f);
    EXPECT_FLOAT_EQ(model.score("nowhere", std::nullopt), -23.026f);
    EXPECT_FLOAT_EQ(model.score("nowhere", "hello"), -1.1512926f + -23.026f);
    EXPECT_FLOAT_EQ(model.score("hello", "unseen"), -2.3025851f);

    const ARPALanguageModel empty;
    EXPECT_EQ(empty.score("a", std::nullopt), ARPALanguageModel::unkLogProb);
    EXPECT_EQ(empty.score("a", "b"), -23.026f);
    EXPECT_EQ(ARPALanguageModel::log10ToNat, 2.3025851f);
}

TEST(ARPALanguageModel, AcceptsTheLineFormsOfRealFiles) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t unigrams;
        std::size_t bigrams;
    };
    const std::vector<Case> cases = {
        {"spaces between words", "\\1-grams:\n-1 hello -0.5\n-2 world\n\\2-grams:\n-0.3\thello world\t-0.2\n", 2, 1},
        {"CRLF line ends", "\\data\\\r\nngram 1=1\r\n\\1-grams:\r\n-1\thello\t-0.5\r\n\\end\\\r\n", 1, 0},
        {"no final line feed", "\\1-grams:\n-1\thello\n-2\tworld", 2, 0},
        {"no end marker", "\\1-grams:\n-1\thello\n\\2-grams:\n-1\thello\tworld\n", 1, 1},
        {"lines after end ignored", "\\1-grams:\n-1\thello\n\\end\\\n-1\tworld\n", 1, 0},
        {"higher orders dropped", "\\1-grams:\n-1\ta\n\\3-grams:\n-1\ta\tb\tc\n", 1, 0},
        {"data before any section dropped", "-1\ta\n\\1-grams:\n-1\tb\n", 1, 0},
        {"too few fields dropped", "\\1-grams:\n-1\n\\2-grams:\n-1\ta\n", 0, 0},
        {"leading tabs trimmed", "\\1-grams:\n\t-1\ta\t\n", 1, 0},
    };
    for (const auto& c : cases) {
        const auto model = loadText(c.text);
        EXPECT_EQ(model.unigramCount(), c.unigrams) << c.name;
        EXPECT_EQ(model.bigramCount(), c.bigrams) << c.name;
    }
    const auto model = loadText(cases[0].text);
    EXPECT_FLOAT_EQ(model.bigram("hello", "world")->logProb, -0.6907756f);
    EXPECT_FLOAT_EQ(model.bigram("hello", "world")->backoff, -0.4605170f);
    EXPECT_FLOAT_EQ(model.unigram("hello")->backoff, -1.1512926f);
}

TEST(ARPALanguageModel, LaterEntriesReplaceEarlierOnesAndBadBackoffsAreZero) {
    const auto model = loadText("\\1-grams:\n-1\ta\t-0.5\n-2\ta\tx\n\\2-grams:\n-1\ta\tb\n-0.5\ta\tb\t0x1p-1\n");
    EXPECT_FLOAT_EQ(model.unigram("a")->logProb, -2 * 2.3025851f);
    EXPECT_EQ(model.unigram("a")->backoff, 0.0f);
    EXPECT_FLOAT_EQ(model.bigram("a", "b")->logProb, -0.5f * 2.3025851f);
    EXPECT_FLOAT_EQ(model.bigram("a", "b")->backoff, 0.5f * 2.3025851f);
}

TEST(ARPALanguageModel, SkipsADataLineWhoseFirstFieldIsNotANumber) {
    platform::ScopedLogCapture log;
    const auto model = loadText("\\1-grams:\n-1x\tbad\n-1\tgood\n");
    EXPECT_TRUE(log.contains("Skipping malformed ARPA line: -1x\tbad"));
    EXPECT_EQ(model.unigramCount(), 1u);
    EXPECT_TRUE(model.unigram("good").has_value());
}

TEST(ARPALanguageModel, RefusesShiftedOrNaNLinesNamingTheLineNumber) {
    struct Case {
        const char* name;
        std::string line;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"doubled tab", "-1\t\tshifted", "Skipping malformed ARPA line 3 (doubled separator): -1\t\tshifted"},
        {"doubled space in bigram", "-1\ta  b", "Skipping malformed ARPA line 3 (doubled separator)"},
        {"NaN log-probability", "nan\tpoison", "Skipping malformed ARPA line 3 (log-probability is not a number)"},
        {"NaN backoff", "-1\tpoison\tNaN", "Skipping malformed ARPA line 3 (backoff is not a number)"},
    };
    for (const auto& c : cases) {
        platform::ScopedLogCapture log;
        const auto model = loadText("\\data\\\n\\1-grams:\n" + c.line + "\n-1\tkept\n");
        EXPECT_TRUE(log.contains(c.message)) << c.name;
        EXPECT_EQ(model.unigramCount(), 1u) << c.name;
        EXPECT_TRUE(model.unigram("kept").has_value()) << c.name;
    }
}

// Only the numeric fields are judged: a word that reads as a number is a word.
TEST(ARPALanguageModel, WordsThatReadAsNumbersAreWords) {
    platform::ScopedLogCapture log;
    const auto model = loadText("\\1-grams:\n-1\tmy\t-0.5\n-2\tnan\n-2\tinf\t-0.25\n-3\tbad\tnan\n"
                                "\\2-grams:\n-0.3\tmy nan\n-0.4\tmy\tinf\t-0.1\n-0.5\tnan\tinf\tNaN\n");
    for (const int sound : {3, 4, 7, 8}) {
        EXPECT_FALSE(log.contains("Skipping malformed ARPA line " + std::to_string(sound) + " ")) << sound;
    }
    EXPECT_TRUE(log.contains("Skipping malformed ARPA line 5 (backoff is not a number)"));
    EXPECT_TRUE(log.contains("Skipping malformed ARPA line 9 (backoff is not a number)"));
    EXPECT_EQ(model.unigramCount(), 3u);
    EXPECT_EQ(model.bigramCount(), 2u);
    EXPECT_FLOAT_EQ(model.score("nan", "my"), -0.6907756f);
    EXPECT_FLOAT_EQ(model.score("inf", "my"), -0.4f * 2.3025851f);
    EXPECT_FLOAT_EQ(model.bigram("my", "inf")->backoff, -0.2302585f);
    EXPECT_FLOAT_EQ(model.unigram("inf")->backoff, -0.25f * 2.3025851f);
    EXPECT_FALSE(model.bigram("nan", "inf").has_value());
}

TEST(ARPALanguageModel, ALineThatIsNotUtf8FailsTheWholeRead) {
    testsupport::TemporaryDirectory folder;
    const auto path = folder.write("model.arpa", "\\1-grams:\n-1\tfine\n-1\tbad\xC3\x28\n-1\tlater\n");
    try {
        ARPALanguageModel::load(path);
        FAIL() << "a damaged file must not load as a truncated model";
    } catch (const ARPAError& error) {
        EXPECT_EQ(error.kind(), ARPAErrorKind::invalidText);
        EXPECT_EQ(error.description(), "ARPA file " + path.string() + " is not valid UTF-8 at line 3");
    }
}

} // namespace
