#include "RazeziRuzer/ITN/TextNormalizer.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace razeziruzer {
namespace {

// A stand-in native library: records what reaches it and answers in
// upper-case brackets so a test can tell which function ran.
struct FakeLibrary {
    static inline std::vector<std::string> calls;
    static inline std::vector<std::string> freed;
    static inline std::map<std::string, std::string> rules;
    static inline bool returnNull = false;

    static char* owned(const std::string& text) { return strdup(text.c_str()); }
    static char* respond(const char* name, const char* text) {
        calls.push_back(std::string(name) + ":" + text);
        return returnNull ? nullptr : owned(std::string("[") + name + " " + text + "]");
    }

    static char* normalize(const char* text) { return respond("normalize", text); }
    static char* normalizeSentence(const char* text) { return respond("sentence", text); }
    static char* normalizeMaxSpan(const char* text, std::uint32_t span) {
        return respond(("span" + std::to_string(span)).c_str(), text);
    }
    static void freeString(char* text) {
        freed.emplace_back(text);
        std::free(text);
    }
    static const char* version() { return "fake 1.0"; }
    static void addRule(const char* spoken, const char* written) { rules[spoken] = written; }
    static std::int32_t removeRule(const char* spoken) { return static_cast<std::int32_t>(rules.erase(spoken)); }
    static void clearRules() { rules.clear(); }
    static std::uint32_t ruleCount() { return static_cast<std::uint32_t>(rules.size()); }

    static void reset() {
        calls.clear();
        freed.clear();
        rules.clear();
        returnNull = false;
    }
};

using Symbols = std::map<std::string, void*>;

Symbols fullLibrary() {
    return {{"nemo_normalize", reinterpret_cast<void*>(&FakeLibrary::normalize)},
            {"nemo_normalize_sentence", reinterpret_cast<void*>(&FakeLibrary::normalizeSentence)},
            {"nemo_normalize_sentence_with_max_span", reinterpret_cast<void*>(&FakeLibrary::normalizeMaxSpan)},
            {"nemo_free_string", reinterpret_cast<void*>(&FakeLibrary::freeString)},
            {"nemo_add_rule", reinterpret_cast<void*>(&FakeLibrary::addRule)},
            {"nemo_remove_rule", reinterpret_cast<void*>(&FakeLibrary::removeRule)},
            {"nemo_clear_rules", reinterpret_cast<void*>(&FakeLibrary::clearRules)},
            {"nemo_rule_count", reinterpret_cast<void*>(&FakeLibrary::ruleCount)},
            {"nemo_version", reinterpret_cast<void*>(&FakeLibrary::version)}};
}

Symbols only(std::initializer_list<const char*> names) {
    const auto all = fullLibrary();
    Symbols chosen;
    for (const auto* name : names) chosen[name] = all.at(name);
    return chosen;
}

TextNormalizer::SymbolLookup lookupIn(Symbols symbols) {
    return [symbols = std::move(symbols)](const char* name) -> void* {
        const auto found = symbols.find(name);
        return found == symbols.end() ? nullptr : found->second;
    };
}

struct FakeResult {
    std::string text;
    float confidence = 0;
    std::optional<int> performanceMetrics;
};

class TextNormalizerTests : public ::testing::Test {
protected:
    void SetUp() override { FakeLibrary::reset(); }
};

TEST_F(TextNormalizerTests, WithoutTheLibraryEverythingPassesThrough) {
    // The test program carries no normalisation library.
    const TextNormalizer normalizer;
    const std::string text = "two  dash three ";
    EXPECT_FALSE(normalizer.isNativeAvailable());
    EXPECT_EQ(normalizer.normalize(text), text);
    EXPECT_EQ(normalizer.normalizeSentence(text), text);
    EXPECT_EQ(normalizer.normalizeSentence(text, 4), text);
    EXPECT_EQ(normalizer.version(), std::nullopt);
    EXPECT_EQ(normalizer.ruleCount(), 0);
    EXPECT_FALSE(normalizer.removeRule("dash"));
    normalizer.addRule("dash", "-");
    normalizer.clearRules();

    const FakeResult result{text, 0.5f, 7};
    const auto same = normalizer.normalize(result);
    EXPECT_EQ(same.text, text);
    EXPECT_EQ(same.performanceMetrics, 7);
}

TEST_F(TextNormalizerTests, MissingVersionMeansNoLibrary) {
    auto symbols = fullLibrary();
    symbols.erase("nemo_version");
    const TextNormalizer normalizer(lookupIn(symbols));
    EXPECT_FALSE(normalizer.isNativeAvailable());
    EXPECT_EQ(normalizer.normalizeSentence("one"), "one");
    normalizer.addRule("one", "1");
    EXPECT_TRUE(FakeLibrary::rules.empty());
    EXPECT_TRUE(FakeLibrary::calls.empty());
}

TEST_F(TextNormalizerTests, FullLibraryOwnsAndFreesItsResults) {
    const TextNormalizer normalizer(lookupIn(fullLibrary()));
    ASSERT_TRUE(normalizer.isNativeAvailable());
    EXPECT_EQ(normalizer.version(), "fake 1.0");
    EXPECT_EQ(normalizer.normalize("two  dash "), "[normalize two  dash ]");  // never screened
    EXPECT_EQ(normalizer.normalizeSentence("two  Dash three "), "[sentence two Dash three]");
    EXPECT_EQ(normalizer.normalizeSentence("two  dash", 3), "[span3 two dash]");
    EXPECT_EQ(FakeLibrary::freed.size(), 3u);

    FakeLibrary::returnNull = true;
    EXPECT_EQ(normalizer.normalizeSentence("five  dash six"), "five dash six");
    EXPECT_EQ(FakeLibrary::freed.size(), 3u);
}

TEST_F(TextNormalizerTests, ScreeningKeepsTextsWithoutPunctuationWords) {
    const TextNormalizer normalizer(lookupIn(fullLibrary()));
    normalizer.normalizeSentence("  plain   text ");
    normalizer.normalizeSentence("dot, after");
    ASSERT_EQ(FakeLibrary::calls.size(), 2u);
    EXPECT_EQ(FakeLibrary::calls[0], "sentence:  plain   text ");
    EXPECT_EQ(FakeLibrary::calls[1], "sentence:dot, after");
}

TEST_F(TextNormalizerTests, MinimalLibraryUsesPlainNormalizeForSentences) {
    const TextNormalizer normalizer(lookupIn(only({"nemo_normalize", "nemo_free_string", "nemo_version"})));
    ASSERT_TRUE(normalizer.isNativeAvailable());
    EXPECT_EQ(normalizer.normalizeSentence("a  slash b"), "[normalize a slash b]");
    EXPECT_EQ(normalizer.normalizeSentence("a  slash b", 9), "[normalize a slash b]");
    normalizer.addRule("slash", "/");
    EXPECT_TRUE(FakeLibrary::rules.empty());
    EXPECT_FALSE(normalizer.removeRule("slash"));
    EXPECT_EQ(normalizer.ruleCount(), 0);
}

TEST_F(TextNormalizerTests, RulesAreForwarded) {
    const TextNormalizer normalizer(lookupIn(fullLibrary()));
    normalizer.addRule("plus", "+");
    normalizer.addRule("hash", "#");
    EXPECT_EQ(normalizer.ruleCount(), 2);
    EXPECT_TRUE(normalizer.removeRule("plus"));
    EXPECT_FALSE(normalizer.removeRule("plus"));
    normalizer.clearRules();
    EXPECT_EQ(normalizer.ruleCount(), 0);
}

TEST_F(TextNormalizerTests, ChangedResultDropsOnlyItsMetrics) {
    const TextNormalizer normalizer(lookupIn(fullLibrary()));
    const FakeResult result{"ten percent", 0.75f, 3};
    const auto changed = normalizer.normalize(result);
    EXPECT_EQ(changed.text, "[sentence ten percent]");
    EXPECT_EQ(changed.confidence, 0.75f);
    EXPECT_EQ(changed.performanceMetrics, std::nullopt);
}

} // namespace
} // namespace razeziruzer
