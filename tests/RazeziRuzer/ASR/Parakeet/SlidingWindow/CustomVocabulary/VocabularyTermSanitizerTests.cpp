#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/VocabularyTermSanitizer.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;

namespace {

TEST(VocabularyTermSanitizer, CleansAndWarnsInOrder) {
    using Warnings = std::vector<std::string>;
    const std::string control = "contains control characters";
    const std::string diacritics = "contains diacritics - consider adding ASCII alias";
    const std::string numbers = "contains numbers";
    const std::string unusual = "contains unusual characters";
    struct Case {
        const char* name;
        std::string text;
        std::string sanitized;
        Warnings warnings;
    };
    const std::vector<Case> cases = {
        {"plain words", "Ostrel Virorez", "Ostrel Virorez", {}},
        {"hyphen and apostrophe", "rock-'n'-roll", "rock-'n'-roll", {}},
        {"accented letter", "Caf\xC3\xA9", "Caf\xC3\xA9", {diacritics}},
        {"letters, hyphen and digit", "GPT-4", "GPT-4", {numbers, unusual}},
        {"tab between words", "hello\tworld", "helloworld", {control}},
        {"bell stays", "hello\aworld", "hello\aworld", {control, unusual}},
        {"line feed only", "\n", "", {control}},
        {"no-break space alone is kept", "a\xC2\xA0" "b", "a\xC2\xA0" "b", {}},
        {"rebuild drops no-break space too", "a\xC2\xA0" "b\t", "ab", {control}},
        {"spaces not trimmed", "  x ", "  x ", {}},
        {"soft hyphen is a format character", "co\xC2\xADop", "co\xC2\xADop", {control, unusual}},
    };
    for (const auto& c : cases) {
        const auto result = sanitizeVocabularyTerm(c.text);
        EXPECT_EQ(result.sanitized, c.sanitized) << c.name;
        EXPECT_EQ(result.warnings, c.warnings) << c.name;
    }
}

} // namespace
