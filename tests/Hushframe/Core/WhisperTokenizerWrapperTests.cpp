#include "Hushframe/Core/Models/DominantLanguage.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "tests/Hushframe/Core/TinyTokenizer.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace hushframe {
namespace {

using ::testing::ElementsAre;

// A tokenizer that only knows the token texts it is given.
class LookupTokenizer : public modelhubkit::Tokenizer {
public:
    explicit LookupTokenizer(std::map<std::string, int> ids) : ids_(std::move(ids)) {}

    std::vector<std::string> tokenize(std::string_view) const override { return {}; }
    std::vector<int> encode(std::string_view, bool) const override { return {}; }
    std::string decode(std::span<const int>, bool) const override { return {}; }
    std::optional<int> convertTokenToId(std::string_view token) const override {
        const auto found = ids_.find(std::string(token));
        return found == ids_.end() ? std::nullopt : std::optional<int>(found->second);
    }
    std::optional<std::string> convertIdToToken(int) const override { return std::nullopt; }
    std::optional<std::string> bosToken() const override { return std::nullopt; }
    std::optional<int> bosTokenId() const override { return std::nullopt; }
    std::optional<std::string> eosToken() const override { return std::nullopt; }
    std::optional<int> eosTokenId() const override { return std::nullopt; }
    std::optional<std::string> unknownToken() const override { return std::nullopt; }
    std::optional<int> unknownTokenId() const override { return std::nullopt; }

private:
    std::map<std::string, int> ids_;
};

WhisperTokenizerWrapper wrap(std::map<std::string, int> ids) {
    return WhisperTokenizerWrapper(std::make_shared<LookupTokenizer>(std::move(ids)), std::nullopt);
}

TEST(WhisperTokenizerWrapperTests, UnknownSpecialTokensGetTheirFallbackIds) {
    const SpecialTokens expected{.endToken = 50257,
                                 .englishToken = 50259,
                                 .noSpeechToken = 50362,
                                 .noTimestampsToken = 50363,
                                 .specialTokenBegin = 50257,
                                 .startOfPreviousToken = 50361,
                                 .startOfTranscriptToken = 50258,
                                 .timeTokenBegin = 50364,
                                 .transcribeToken = 50359,
                                 .translateToken = 50358,
                                 .whitespaceToken = 220};
    EXPECT_EQ(wrap({}).specialTokens(), expected);
    EXPECT_TRUE(wrap({}).allLanguageTokens().empty());

    // Known texts win; the rest keep their fallbacks.
    const auto partial = wrap({{"<|endoftext|>", 7}, {"<|0.00|>", 99}, {" ", 3}});
    EXPECT_EQ(partial.specialTokens().endToken, 7);
    EXPECT_EQ(partial.specialTokens().specialTokenBegin, 7);
    EXPECT_EQ(partial.specialTokens().timeTokenBegin, 99);
    EXPECT_EQ(partial.specialTokens().whitespaceToken, 3);
    EXPECT_EQ(partial.specialTokens().noSpeechToken, 50362);
}

TEST(WhisperTokenizerWrapperTests, LanguageTokensAreThoseAboveTheSpecialRange) {
    // "<|en|>" sits at the start of the special range and is left out; names
    // sharing a code ("mandarin", "chinese") give one id.
    const auto tokenizer = wrap({{"<|endoftext|>", 100}, {"<|en|>", 100}, {"<|zh|>", 101}, {"<|de|>", 102},
                                 {"<|xx|>", 103}, {"<|fr|>", 5}});
    EXPECT_THAT(tokenizer.allLanguageTokens(), ElementsAre(101, 102));
}

TEST(WhisperTokenizerWrapperTests, OperationsPassThroughToTheTokenizer) {
    const WhisperTokenizerWrapper tokenizer(testing::tinyTokenizer(), std::filesystem::path("/tokenizers/tiny"));
    EXPECT_EQ(tokenizer.specialTokens().startOfTranscriptToken, 51);
    EXPECT_EQ(tokenizer.specialTokens().noSpeechToken, 50362);
    EXPECT_THAT(tokenizer.allLanguageTokens(), ElementsAre(52, 57));
    EXPECT_EQ(tokenizer.convertTokenToId("<|transcribe|>"), 53);
    EXPECT_EQ(tokenizer.convertIdToToken(11), "hello");
    EXPECT_EQ(tokenizer.decode(std::vector<int>{11, 16}), "hello world");
    EXPECT_THAT(tokenizer.encode("hello world"), ElementsAre(11, 16));
    EXPECT_EQ(tokenizer.tokenizerFolder(), std::filesystem::path("/tokenizers/tiny"));
}

TEST(WhisperTokenizerWrapperTests, UnicodeSplitKeepsAnEmojiSplitOverTwoTokensTogether) {
    const WhisperTokenizerWrapper tokenizer(testing::tinyTokenizer(), std::nullopt);
    const auto split = tokenizer.splitTokensOnUnicode(std::vector<int>{11, 21, 22, 16});
    EXPECT_THAT(split.words, ElementsAre("hello", "\U0001F600", " world"));
    EXPECT_THAT(split.wordTokens, ElementsAre(ElementsAre(11), ElementsAre(21, 22), ElementsAre(16)));

    // An emoji cut off at the end is cut in the whole text too, so its half
    // stands as a word of its own.
    const auto cut = tokenizer.splitTokensOnUnicode(std::vector<int>{11, 21});
    EXPECT_THAT(cut.words, ElementsAre("hello", "\uFFFD"));
    EXPECT_THAT(cut.wordTokens, ElementsAre(ElementsAre(11), ElementsAre(21)));
    EXPECT_TRUE(tokenizer.splitTokensOnUnicode({}).words.empty());
}

TEST(WhisperTokenizerWrapperTests, SpaceSplitStartsWordsAtSpacesPunctuationAndSpecialTokens) {
    const WhisperTokenizerWrapper tokenizer(testing::tinyTokenizer(), std::nullopt);
    struct Case {
        std::vector<int> ids;
        std::vector<std::string> words;
        std::vector<std::vector<int>> groups;
    };
    const std::vector<Case> cases = {
        {{16, 24, 16}, {" world", ",", " world"}, {{16}, {24}, {16}}},
        {{16, 11}, {" worldhello"}, {{16, 11}}},
        {{51, 11}, {"<|startoftranscript|>hello"}, {{51, 11}}},
        {{11, 23, 51, 16}, {"hello", "!", "<|startoftranscript|>", " world"}, {{11}, {23}, {51}, {16}}},
        {{11, 21, 22}, {"hello\U0001F600"}, {{11, 21, 22}}},
    };
    for (const auto& c : cases) {
        const auto split = tokenizer.splitToWordTokens(c.ids);
        EXPECT_EQ(split.words, c.words);
        EXPECT_EQ(split.wordTokens, c.groups);
    }
}

TEST(WhisperTokenizerWrapperTests, LanguagesWithoutSpacesSplitByCharacters) {
    std::vector<std::string> recognised;
    const WhisperTokenizerWrapper tokenizer(testing::tinyTokenizer(), std::nullopt,
                                            [&](std::string_view text) -> std::optional<std::string> {
                                                recognised.emplace_back(text);
                                                return dominantLanguageByScript(text);
                                            });
    const auto split = tokenizer.splitToWordTokens(std::vector<int>{51, 30, 31});
    // The language is recognised from the text tokens alone.
    EXPECT_THAT(recognised, ElementsAre("你好"));
    EXPECT_THAT(split.words, ElementsAre("<|startoftranscript|>", "你", "好"));
}

TEST(WhisperTokenizerWrapperTests, DominantLanguageByScript) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"你好世界", "zh"},          {"こんにちは世界", "ja"}, {"東京へ行く", "ja"},
        {"สวัสดีครับ", "th"},        {"ສະບາຍດີ", "lo"},        {"မင်္ဂလာပါ", "my"},
        {"hello world", std::nullopt}, {"hello 你", std::nullopt}, {"", std::nullopt}, {"123 !?", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(dominantLanguageByScript(text), expected) << text;
}

} // namespace
} // namespace hushframe
