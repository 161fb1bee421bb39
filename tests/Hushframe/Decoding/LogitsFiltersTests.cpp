#include "Hushframe/Decoding/LogitsFilters.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace hushframe {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using namespace hushframe::testing;

constexpr float minusInfinity = -std::numeric_limits<float>::infinity();

MLMultiArray flatScores(std::int64_t size, float value = 0) {
    return MLMultiArray({1, 1, size}, MLMultiArrayDataType::float32, value);
}

// The ids whose score is minus infinity.
std::vector<int> suppressed(const MLMultiArray& logits) {
    std::vector<int> ids;
    for (std::int64_t i = 0; i < logits.count(); ++i) {
        if (logits[i].floatValue() == minusInfinity) ids.push_back(static_cast<int>(i));
    }
    return ids;
}

std::vector<int> range(int from, int to) {
    std::vector<int> ids;
    for (int i = from; i < to; ++i) ids.push_back(i);
    return ids;
}

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(LogitsFiltersTests, SuppressTokensAndBlankStart) {
    auto logits = flatScores(10);
    SuppressTokensFilter({3, 7, 3}).filterLogits(logits, {});
    EXPECT_EQ(suppressed(logits), (std::vector<int>{3, 7}));

    const SpecialTokens special = ScriptTokenizer().specialTokens();
    SuppressBlankFilter blank(special, 4);
    auto atBegin = flatScores(vocabularySize);
    blank.filterLogits(atBegin, {1, 2, 3, 4});
    EXPECT_EQ(suppressed(atBegin), (std::vector<int>{0, endToken}));
    auto later = flatScores(vocabularySize);
    blank.filterLogits(later, {1, 2, 3, 4, 5});
    EXPECT_TRUE(suppressed(later).empty());
}

TEST(LogitsFiltersTests, LanguageFilterLeavesOnlyLanguages) {
    LanguageLogitsFilter filter({3, 7}, 10, 1);
    auto early = flatScores(10);
    filter.filterLogits(early, {});
    EXPECT_TRUE(suppressed(early).empty());
    auto logits = flatScores(10);
    filter.filterLogits(logits, {41});
    EXPECT_EQ(suppressed(logits), (std::vector<int>{0, 1, 2, 4, 5, 6, 8, 9}));
}

TEST(LogitsFiltersTests, TimestampRules) {
    const SpecialTokens special = ScriptTokenizer().specialTokens();
    const std::vector<int> prompt{sot, en, transcribe};
    struct Case {
        const char* name;
        std::vector<int> tokens;
        bool multilingual;
        std::int64_t begin;
        std::vector<int> expected;
    };
    const std::vector<Case> cases{
        {"task token sets the begin; no-timestamps suppressed at the first sampled position", prompt, true, 2,
         {noTimestamps}},
        {"no task token: untouched", {sot, en, noTimestamps}, true, 2, {}},
        {"one sampled timestamp: no timestamp next", joined(prompt, {T}), true, 2,
         joined({noTimestamps}, range(T, vocabularySize))},
        {"timestamp after text closes a segment: text and earlier timestamps go", joined(prompt, {T + 50, 5, T + 100}),
         true, 2, joined(joined(range(0, endToken), {noTimestamps}), range(T, T + 100))},
        {"text after a timestamp: no going back", joined(prompt, {T + 50, 5}), true, 2,
         joined({noTimestamps}, range(T, T + 51))},
        {"English-only model uses the given begin", {sot, T, 5}, false, 1, {noTimestamps, T}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimestampRulesFilter filter(special, c.begin, std::nullopt, c.multilingual);
        // Text ids well above the timestamps, so that only the grammar rules act.
        auto logits = flatScores(vocabularySize);
        for (int i = 0; i < T; ++i) logits[i] = 10.0;
        filter.filterLogits(logits, c.tokens);
        EXPECT_EQ(suppressed(logits), c.expected);
    }
}

TEST(LogitsFiltersTests, TimestampsThatOutweighEveryTextTokenForceATimestamp) {
    const SpecialTokens special = ScriptTokenizer().specialTokens();
    TimestampRulesFilter filter(special, 2, std::nullopt, false);
    // The timestamps share the mass: each alone is far below the best text id,
    // together (1501 of them at -5) they are above it.
    auto logits = flatScores(vocabularySize, -5.0F);
    for (int i = 0; i < T; ++i) logits[i] = -30.0;
    logits[3] = 2.0;
    filter.filterLogits(logits, {sot, T});
    EXPECT_EQ(suppressed(logits), joined(range(0, T), {}));

    // Equality does not trigger the rule: one timestamp exactly as likely as the best text.
    auto equal = flatScores(vocabularySize, minusInfinity);
    equal[3] = 1.0;
    equal[T + 3] = 1.0;
    filter.filterLogits(equal, {sot, T});
    EXPECT_EQ(equal[3].floatValue(), 1.0F);
}

} // namespace
} // namespace hushframe
