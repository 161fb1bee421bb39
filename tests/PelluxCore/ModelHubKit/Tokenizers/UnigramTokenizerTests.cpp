#include "PelluxCore/ModelHubKit/Tokenizers/PreTrainedTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace modelhubkit {
namespace {

using ::testing::ElementsAre;

PreTrainedTokenizer unigram(const nlohmann::json& data = testing::unigramData()) {
    return PreTrainedTokenizer(nlohmann::json::object(), data, true);
}

TEST(UnigramTokenizerTests, ChoosesTheMostLikelyCut) {
    EXPECT_THAT(unigram().encode("hello world"), ElementsAre(4, 9));
    EXPECT_THAT(unigram().tokenize("hello"), ElementsAre("\xE2\x96\x81hello"));

    auto data = testing::unigramData();
    data["model"]["vocab"][4][1] = -7.0; // now "▁he" + "llo" (-6) beats "▁hello"
    EXPECT_THAT(unigram(data).encode("hello"), ElementsAre(2, 3));
}

TEST(UnigramTokenizerTests, RoundTripsThroughTheMetaspaceDecoder) {
    const auto tokenizer = unigram();
    EXPECT_EQ(tokenizer.decode(tokenizer.encode("hello world")), "hello world");
}

TEST(UnigramTokenizerTests, MissingCharactersFallBackToBytesThenToOneUnknownToken) {
    const auto tokenizer = unigram();
    // "é" is C3 A9, both byte tokens exist.
    EXPECT_THAT(tokenizer.encode("h\xC3\xA9"), ElementsAre(1, 5, 10, 11));
    EXPECT_EQ(tokenizer.decode(std::vector<int>{1, 5, 10, 11}), "h\xC3\xA9");
    // A lone byte token cannot spell a character.
    EXPECT_EQ(tokenizer.decode(std::vector<int>{5, 10}), "h\xEF\xBF\xBD");
    // "ß" (C3 9F) lacks the second byte token: unknown, and a run of them is one unknown.
    EXPECT_THAT(tokenizer.encode("h\xC3\x9F\xC3\x9F"), ElementsAre(1, 5, 0));
    EXPECT_EQ(tokenizer.unknownToken(), "<unk>");
}

TEST(UnigramTokenizerTests, UncoveredTextWithoutUnknownTokenIsAnError) {
    auto data = testing::unigramData();
    data["model"]["unk_id"] = nullptr;
    data["model"]["byte_fallback"] = false;
    try {
        unigram(data).encode("hey");
        FAIL() << "expected an error";
    } catch (const TokenizerError& error) {
        EXPECT_EQ(error.kind(), TokenizerErrorKind::encodingFailed);
    }
}

} // namespace
} // namespace modelhubkit
