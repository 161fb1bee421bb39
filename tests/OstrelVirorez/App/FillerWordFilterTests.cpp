#include "OstrelVirorez/App/FillerWordFilter.hpp"

#include <gtest/gtest.h>

namespace {

using ostrelvirorez::FillerWordFilter;
using Language = FillerWordFilter::Language;

struct FilterCase {
    const char* name;
    std::string text;
    std::vector<Language> languages;
    std::string expected;
};

class FillerWordFilterApply : public testing::TestWithParam<FilterCase> {};

TEST_P(FillerWordFilterApply, RemovesFillersAndRepairsSpacing) {
    const auto& c = GetParam();
    EXPECT_EQ(FillerWordFilter::apply(c.text, c.languages), c.expected);
}

const std::vector<Language> german{Language::german};
const std::vector<Language> both{Language::german, Language::english};

INSTANTIATE_TEST_SUITE_P(
    Cases, FillerWordFilterApply,
    testing::Values(
        FilterCase{"CollapsesTheGap", "Also \u00E4hm ich denke das passt", german, "Also ich denke das passt"},
        FilterCase{"AnyCaseCommaStays", "\u00C4hm, also", german, ", also"},
        FilterCase{"SpaceBeforeCommaOnly", "Ich denke, \u00E4h, das passt", german, "Ich denke,, das passt"},
        FilterCase{"LongestFirst", "hmm ja hm", german, "ja"},
        FilterCase{"NotInsideWords", "Ahm hmmm", german, "Ahm hmmm"},
        FilterCase{"EnglishOnlyWithEnglish", "so umm yes", german, "so umm yes"},
        FilterCase{"EnglishRemoved", "so umm yes uh", both, "so yes"},
        FilterCase{"EmptyListStillCleans", "a  b ,c ", {}, "a b,c"},
        FilterCase{"TabsAndNoBreakSpaces", "a\t\u00A0b", {}, "a b"},
        FilterCase{"LineBreaksTrimmedAround", "  a  \n  b \n\n c", {}, "a\nb\n\nc"},
        FilterCase{"CrLfKept", "a \r\n b", {}, "a\r\nb"},
        FilterCase{"DecomposedFiller", "ja a\u0308hm nein", german, "ja nein"},
        FilterCase{"EmptyText", "", both, ""}),
    [](const testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(FillerWordFilter, ResolveLanguages) {
    using List = std::vector<Language>;
    EXPECT_EQ(FillerWordFilter::resolveLanguages("en", "de"), (List{Language::english}));
    EXPECT_EQ(FillerWordFilter::resolveLanguages("de", "en"), (List{Language::german}));
    EXPECT_EQ(FillerWordFilter::resolveLanguages(std::nullopt, "en"), (List{Language::english, Language::german}));
    EXPECT_EQ(FillerWordFilter::resolveLanguages(std::nullopt, "fr"), (List{Language::german, Language::english}));
    EXPECT_EQ(FillerWordFilter::resolveLanguages(std::nullopt, std::nullopt), (List{Language::german, Language::english}));
    for (const char* hint : {"", "DE", "de-DE", "fr"})
        EXPECT_EQ(FillerWordFilter::resolveLanguages(std::string(hint), "en"), (List{Language::english, Language::german}))
            << hint;
}

TEST(FillerWordFilter, LanguageRawValues) {
    EXPECT_EQ(ostrelvirorez::rawValue(Language::german), "de");
    EXPECT_EQ(ostrelvirorez::fromRawValue<Language>("en"), Language::english);
    EXPECT_FALSE(ostrelvirorez::fromRawValue<Language>("EN").has_value());
}

} // namespace
