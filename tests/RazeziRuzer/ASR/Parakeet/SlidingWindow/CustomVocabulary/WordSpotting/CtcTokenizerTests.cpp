#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizerError.hpp"

#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/TokenizerFixture.hpp"
#include "tests/Support/ScopedEnvironment.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;
using namespace tokenizerfixture;

namespace {

TEST(CtcTokenizer, WrapsLoadingFaultsWithTheTokenizerDescription) {
    testsupport::TemporaryDirectory folder;
    try {
        CtcTokenizer::load(folder.path());
        FAIL();
    } catch (const CtcTokenizerError& error) {
        EXPECT_EQ(error.kind(), CtcTokenizerErrorKind::tokenizerNotFound);
        EXPECT_EQ(error.description(), "tokenizer.json not found at " + (folder / "tokenizer.json").string());
    }
    auto json = tinyTokenizer();
    json["model"].erase("vocab");
    writeTokenizer(folder, json);
    try {
        CtcTokenizer::load(folder.path());
        FAIL();
    } catch (const CtcTokenizerError& error) {
        EXPECT_EQ(error.kind(), CtcTokenizerErrorKind::initializationFailed);
        EXPECT_EQ(error.description(), "Failed to initialize HuggingFace tokenizer: Missing required field: model.vocab");
    }
}

TEST(CtcTokenizer, DefaultFolderIsTheSmallCtcModelInTheUserDataFolder) {
    testsupport::TemporaryDirectory home;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", home.path().string());
    const auto expected = home.path() / "RazeziRuzer" / "Models" / "parakeet-ctc-110m-coreml" / "tokenizer.json";
    try {
        CtcTokenizer::load();
        FAIL();
    } catch (const CtcTokenizerError& error) {
        EXPECT_EQ(error.description(), "tokenizer.json not found at " + expected.string());
    }
    home.write("RazeziRuzer/Models/parakeet-ctc-110m-coreml/tokenizer.json", tinyTokenizer().dump());
    EXPECT_EQ(CtcTokenizer::load().encode("he"), std::vector<int>{30});
}

TEST(CtcTokenizer, EncodesWithAndWithoutTheWordStartMark) {
    testsupport::TemporaryDirectory folder;
    const auto tokenizer = CtcTokenizer::load(writeTokenizer(folder, tinyTokenizer()));
    EXPECT_EQ(tokenizer.encode("He"), std::vector<int>{30});
    EXPECT_EQ(tokenizer.encodeWithoutBoundary("He"), std::vector<int>{28});
    EXPECT_EQ(tokenizer.encodeVariants("He"), (std::vector<std::vector<int>>{{30}, {28}}));

    auto json = tinyTokenizer();
    json["added_tokens"] = nlohmann::json::array({{{"content", mark}, {"id", -1}}});
    json["model"]["vocab"].erase("<unk>");
    const auto dropping = CtcTokenizer::load(writeTokenizer(folder, json));
    // The mark has an id here, so the variants differ only by it.
    EXPECT_EQ(dropping.encodeVariants("b").size(), 2u);
    json["added_tokens"] = nlohmann::json::array();
    json["model"]["vocab"].erase(mark);
    const auto markless = CtcTokenizer::load(writeTokenizer(folder, json));
    EXPECT_EQ(markless.encodeVariants("b"), (std::vector<std::vector<int>>{{2}}));
}

} // namespace
