#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALineReader.hpp"

#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace razeziruzer;

namespace {

TEST(ARPAFile, AMissingFileCannotBeOpened) {
    testsupport::TemporaryDirectory folder;
    for (const auto& path : {folder / "absent.arpa", folder.path()}) {
        try {
            ARPALanguageModel::load(path);
            FAIL() << path;
        } catch (const ARPAError& error) {
            EXPECT_EQ(error.kind(), ARPAErrorKind::cannotOpen);
            EXPECT_EQ(error.description(), "Cannot open ARPA file: " + path.string());
        }
    }
}

TEST(ARPALineReader, JoinsALineSplitAcrossChunks) {
    testsupport::TemporaryDirectory folder;
    const std::string longLine(ARPALineReader::chunkSize + 10, 'x');
    const auto path = folder.write("lines.txt", "first\n" + longLine + "\n\nlast");
    auto reader = ARPALineReader::open(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->nextLine(), "first");
    EXPECT_EQ(reader->nextLine(), longLine);
    EXPECT_EQ(reader->nextLine(), "");
    EXPECT_EQ(reader->nextLine(), "last");
    EXPECT_EQ(reader->nextLine(), std::nullopt);
    EXPECT_FALSE(ARPALineReader::open(folder / "absent"));
}

// A generated model of a million unigram lines.
std::filesystem::path writeMillionLineModel(const testsupport::TemporaryDirectory& folder) {
    constexpr int lines = 1'000'000;
    const auto path = folder / "large.arpa";
    std::ofstream out(path, std::ios::binary);
    out << "\\data\\\nngram 1=" << lines << "\n\n\\1-grams:\n";
    for (int i = 0; i < lines - 5; ++i) out << "-" << (i % 7) << ".5\tw" << i << "\t-0.25\n";
    out << "\\end\\\n";
    return path;
}

TEST(ARPAFile, AMillionLinesAreReadWithOnlyAChunkBuffered) {
    testsupport::TemporaryDirectory folder;
    const auto path = writeMillionLineModel(folder);

    auto reader = ARPALineReader::open(path);
    ASSERT_TRUE(reader);
    std::size_t lines = 0;
    std::size_t mostPending = 0;
    while (const auto line = reader->nextLine()) {
        ++lines;
        mostPending = std::max(mostPending, reader->pendingBytes());
    }
    EXPECT_EQ(lines, 1'000'000u);
    EXPECT_LE(mostPending, ARPALineReader::chunkSize);
    EXPECT_GT(std::filesystem::file_size(path), 10 * ARPALineReader::chunkSize);

    const auto model = ARPALanguageModel::load(path);
    EXPECT_EQ(model.unigramCount(), 999'995u);
    EXPECT_FLOAT_EQ(model.unigram("w999994")->logProb, -(999994 % 7 + 0.5f) * 2.3025851f);
    EXPECT_FLOAT_EQ(model.unigram("w0")->backoff, -0.25f * 2.3025851f);
}

// Enough pairs to grow the bigram storage many times; the last lines repeat
// earlier pairs with new values, which replace the old ones.
TEST(ARPAFile, EveryBigramOfALargeModelReadsBack) {
    constexpr int firstWords = 500;
    constexpr int secondWords = 600;
    constexpr int repeated = 1000;
    testsupport::TemporaryDirectory folder;
    const auto path = folder / "bigrams.arpa";
    {
        std::ofstream out(path, std::ios::binary);
        out << "\\2-grams:\n";
        for (int i = 0; i < firstWords * secondWords; ++i) {
            out << "-" << (i % 9) << ".25\tf" << i / secondWords << " s" << i % secondWords << "\t-0.5\n";
        }
        for (int i = 0; i < repeated; ++i) out << "-3\tf" << i / secondWords << " s" << i % secondWords << "\n";
    }
    const auto model = ARPALanguageModel::load(path);
    EXPECT_EQ(model.bigramCount(), static_cast<std::size_t>(firstWords * secondWords));
    EXPECT_EQ(model.unigramCount(), 0u);
    for (const int i : {repeated, 12'345, 299'999}) {
        const auto entry = model.bigram("f" + std::to_string(i / secondWords), "s" + std::to_string(i % secondWords));
        ASSERT_TRUE(entry) << i;
        EXPECT_FLOAT_EQ(entry->logProb, -(i % 9 + 0.25f) * 2.3025851f) << i;
        EXPECT_FLOAT_EQ(entry->backoff, -0.5f * 2.3025851f) << i;
    }
    EXPECT_EQ(model.bigram("f0", "s599")->logProb, -3 * 2.3025851f);
    EXPECT_EQ(model.bigram("f0", "s599")->backoff, 0.0f);
    EXPECT_FALSE(model.bigram("s0", "f0"));
    EXPECT_FALSE(model.bigram("f500", "s0"));
}

// The English phone model shipped by the recogniser's Debian data package,
// turned into ARPA text by that package family's own converter.
TEST(ARPAFile, ReadsAnARPAFileWrittenByARealConverter) {
    const std::filesystem::path binary = "/usr/share/pocketsphinx/model/en-us/en-us-phone.lm.bin";
    const bool toolsPresent = std::filesystem::exists(binary) && std::system("command -v sphinx_lm_convert >/dev/null 2>&1") == 0;
    REQUIRE_TEST_HOST(toolsPresent, "needs the Debian packages pocketsphinx-en-us and sphinxbase-utils");
    testsupport::TemporaryDirectory folder;
    const auto arpa = folder / "phone.arpa";
    const std::string command = "sphinx_lm_convert -i '" + binary.string() + "' -o '" + arpa.string() +
                                "' -ofmt arpa >'" + (folder / "convert.log").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << folder.read("convert.log");

    const auto model = ARPALanguageModel::load(arpa);
    // The file's header counts: 43 unigrams and 1509 bigrams (trigrams are dropped).
    EXPECT_EQ(model.unigramCount(), 43u);
    EXPECT_EQ(model.bigramCount(), 1509u);
    EXPECT_FLOAT_EQ(model.unigram("<s>")->logProb, -99.0f * 2.3025851f);
    EXPECT_FLOAT_EQ(model.bigram("AA", "</s>")->logProb, -3.3213f * 2.3025851f);
    EXPECT_FLOAT_EQ(model.score("</s>", "AA"), -3.3213f * 2.3025851f);
}

} // namespace
