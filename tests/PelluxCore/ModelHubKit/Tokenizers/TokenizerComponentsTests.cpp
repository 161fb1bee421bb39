#include "PelluxCore/ModelHubKit/Tokenizers/Normalizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/PreTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/PreTrainedTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace modelhubkit {
namespace {

using ::testing::ElementsAre;
using nlohmann::json;

const std::string replacement = "\xEF\xBF\xBD";

std::vector<std::string> wordsOf(const json& preTokenizer, std::string_view text, bool atTextStart = true) {
    std::vector<std::string> words;
    makePreTokenizer(preTokenizer, true)->split(text, atTextStart, words);
    return words;
}

TEST(Utf8Tests, MakeValidReplacesEachIllFormedSequenceOnce) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"plain \xC3\xA9 \xF0\x9F\x98\x80", "plain \xC3\xA9 \xF0\x9F\x98\x80"},
        {"\xF0\x9F\x98", replacement},                  // four-byte scalar cut short
        {"a\x80\x80z", "a" + replacement + replacement + "z"}, // lone continuation bytes
        {"\xC0\xAF", replacement + replacement},         // overlong form
        {"\xED\xA0\x80", replacement + replacement + replacement}, // surrogate
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement}, // above U+10FFFF
        {"\xE2\x82", replacement},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(utf8::makeValid(bytes), expected);
}

TEST(NormalizerTests, RewritesTextAsTheFileSays) {
    const std::vector<std::tuple<json, std::string, std::string>> cases{
        {{{"type", "NFC"}}, "e\xCC\x81", "\xC3\xA9"},
        {{{"type", "NFD"}}, "\xC3\xA9", "e\xCC\x81"},
        {{{"type", "NFKC"}}, "\xEF\xAC\x81", "fi"},
        {{{"type", "NFKD"}}, "\xC2\xBD", "1\xE2\x81\x84" "2"},
        {{{"type", "Lowercase"}}, "\xC3\x84rger", "\xC3\xA4rger"},
        {{{"type", "StripAccents"}}, "cr\xC3\xA8me", "creme"},
        {{{"type", "Replace"}, {"pattern", {{"String", "."}}}, {"content", "!"}}, "a.b", "a!b"},
        {{{"type", "Replace"}, {"pattern", {{"Regex", " {2,}"}}}, {"content", " "}}, "a   b", "a b"},
        {{{"type", "Prepend"}, {"prepend", "\xE2\x96\x81"}}, "hi", "\xE2\x96\x81hi"},
        {{{"type", "Prepend"}, {"prepend", "\xE2\x96\x81"}}, "", ""},
        {{{"type", "Strip"}, {"strip_left", true}, {"strip_right", true}}, " \t hi \n", "hi"},
        {{{"type", "BertNormalizer"}, {"lowercase", true}}, "H\xC3\xA9\tllo\x01\xE4\xBD\xA0", "he llo \xE4\xBD\xA0 "},
        {{{"type", "Sequence"}, {"normalizers", {{{"type", "NFD"}}, {{"type", "Lowercase"}}}}}, "\xC3\x89", "e\xCC\x81"},
    };
    for (const auto& [object, input, expected] : cases) {
        EXPECT_EQ(makeNormalizer(object, true)->normalize(input), expected) << object.dump();
    }
    EXPECT_EQ(makeNormalizer(nullptr, true), nullptr);
}

TEST(PreTokenizerTests, ByteLevelSplitsLikeTheModelWasTrainedAndMapsBytes) {
    const json byteLevel{{"type", "ByteLevel"}, {"add_prefix_space", false}};
    // "Ġ" stands for the space byte, "Ċ" for a line feed.
    EXPECT_THAT(wordsOf(byteLevel, "Hello world's  2024!\n"),
                ElementsAre("Hello", "\xC4\xA0world", "'s", "\xC4\xA0", "\xC4\xA0" "2024", "!", "\xC4\x8A"));
    const json noRegex{{"type", "ByteLevel"}, {"add_prefix_space", true}, {"use_regex", false}};
    EXPECT_THAT(wordsOf(noRegex, "a b"), ElementsAre("\xC4\xA0" "a\xC4\xA0" "b"));
}

TEST(PreTokenizerTests, SplitBehaviorsPlaceTheMatchedText) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"Removed", {"the", "final", "countdown"}},
        {"Isolated", {"the", "-", "final", "-", "-", "countdown"}},
        {"MergedWithPrevious", {"the-", "final-", "-", "countdown"}},
        {"MergedWithNext", {"the", "-final", "-", "-countdown"}},
        {"Contiguous", {"the", "-", "final", "--", "countdown"}},
    };
    for (const auto& [behavior, expected] : cases) {
        const json split{{"type", "Split"}, {"pattern", {{"String", "-"}}}, {"behavior", behavior}, {"invert", false}};
        EXPECT_EQ(wordsOf(split, "the-final--countdown"), expected) << behavior;
    }
    const json inverted{{"type", "Split"}, {"pattern", {{"Regex", "\\p{L}+"}}}, {"behavior", "Removed"}, {"invert", true}};
    EXPECT_THAT(wordsOf(inverted, "ab, cd"), ElementsAre("ab", "cd"));
}

TEST(PreTokenizerTests, NamedSplittersAndSequences) {
    EXPECT_THAT(wordsOf({{"type", "Whitespace"}}, "Hey  friend!?"), ElementsAre("Hey", "friend", "!?"));
    EXPECT_THAT(wordsOf({{"type", "WhitespaceSplit"}}, " Hey\tfriend! "), ElementsAre("Hey", "friend!"));
    EXPECT_THAT(wordsOf({{"type", "BertPreTokenizer"}}, "Hey, you$"), ElementsAre("Hey", ",", "you", "$"));
    EXPECT_THAT(wordsOf({{"type", "Digits"}, {"individual_digits", true}}, "a12"), ElementsAre("a", "1", "2"));
    const json sequence{{"type", "Sequence"},
                        {"pretokenizers", {{{"type", "WhitespaceSplit"}}, {{"type", "Digits"}, {"individual_digits", false}}}}};
    EXPECT_THAT(wordsOf(sequence, "ab12 c"), ElementsAre("ab", "12", "c"));
}

TEST(PreTokenizerTests, MetaspaceMarksWordStartsAsItsSchemeSays) {
    const std::string mark = "\xE2\x96\x81";
    const json always{{"type", "Metaspace"}, {"replacement", mark}, {"prepend_scheme", "always"}};
    EXPECT_THAT(wordsOf(always, "Hey  friend"), ElementsAre(mark + "Hey", mark, mark + "friend"));
    const json first{{"type", "Metaspace"}, {"replacement", mark}, {"prepend_scheme", "first"}};
    EXPECT_THAT(wordsOf(first, "a b", true), ElementsAre(mark + "a", mark + "b"));
    EXPECT_THAT(wordsOf(first, "a b", false), ElementsAre("a", mark + "b"));
    const json never{{"type", "Metaspace"}, {"replacement", mark}, {"add_prefix_space", false}, {"split", false}};
    EXPECT_THAT(wordsOf(never, "a b"), ElementsAre("a" + mark + "b"));
}

TEST(AddedTokenFlagsTests, StripAndSingleWordRulesDecideWhereATokenMatches) {
    struct Case {
        json flags;
        const char* text;
        std::vector<int> ids;
    };
    // "[M]" is id 60; without a pre-tokenizer or merges every other character is its own token.
    const std::vector<Case> cases{
        {json::object(), "h [M] h", {0, 7, 60, 7, 0}},
        {{{"lstrip", true}}, "h  [M] h", {0, 60, 7, 0}},
        {{{"rstrip", true}}, "h [M]  h", {0, 7, 60, 0}},
        {{{"single_word", true}}, "h [M] h", {0, 7, 60, 7, 0}},
        {{{"single_word", true}}, "h[M] h", {0, 61, 62, 63, 7, 0}},
    };
    for (const auto& c : cases) {
        auto data = testing::byteLevelBpeData();
        data["pre_tokenizer"] = nullptr;
        data["decoder"] = nullptr;
        data["model"]["merges"] = json::array();
        data["model"]["vocab"][" "] = 7;
        data["model"]["vocab"]["["] = 61;
        data["model"]["vocab"]["M"] = 62;
        data["model"]["vocab"]["]"] = 63;
        data["model"]["vocab"].erase("\xC4\xA0");
        json token{{"id", 60}, {"content", "[M]"}, {"special", false}};
        token.update(c.flags);
        data["added_tokens"].push_back(token);
        const PreTrainedTokenizer tokenizer(json::object(), data, true);
        EXPECT_EQ(tokenizer.encode(c.text, false), c.ids) << c.flags.dump() << " " << c.text;
    }
}

TEST(AddedTokenFlagsTests, NormalizedTokensMatchAfterNormalizing) {
    auto data = testing::byteLevelBpeData();
    data["normalizer"] = {{"type", "Lowercase"}};
    data["added_tokens"].push_back({{"id", 60}, {"content", "[m]"}, {"normalized", true}});
    data["added_tokens"].push_back({{"id", 61}, {"content", "[R]"}, {"normalized", false}});
    const PreTrainedTokenizer tokenizer(json::object(), data, true);
    EXPECT_THAT(tokenizer.encode("HELLO[M][R]", false), ElementsAre(11, 60, 61));
}

} // namespace
} // namespace modelhubkit
