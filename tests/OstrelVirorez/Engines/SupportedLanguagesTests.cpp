#include "OstrelVirorez/Engines/SupportedLanguages.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

using ostrelvirorez::SupportedLanguages;

TEST(SupportedLanguagesTest, ListsEighteenDistinctLanguagesFromGermanToSerbian) {
    ASSERT_EQ(SupportedLanguages::all.size(), 18u);
    EXPECT_EQ(SupportedLanguages::all.front(), (SupportedLanguages::Entry{"de", "Deutsch"}));
    EXPECT_EQ(SupportedLanguages::all.back(), (SupportedLanguages::Entry{"sr", "Српски"}));
    const std::unordered_set<SupportedLanguages::Entry> distinct(SupportedLanguages::all.begin(),
                                                                 SupportedLanguages::all.end());
    EXPECT_EQ(distinct.size(), 18u);
}

TEST(SupportedLanguagesTest, DisplayNameMatchesWholeCodesExactlyAndReturnsOthersUnchanged) {
    const std::pair<std::string, std::string> cases[] = {
        {"uk", "Українська"}, {"sr", "Српски"}, {"cs", "Čeština"}, {"bs", "Bosanski"},
        {"ja", "ja"},         {"", ""},         {"DE", "DE"},      {"de-DE", "de-DE"},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(SupportedLanguages::displayName(code), name) << code;
}

} // namespace
