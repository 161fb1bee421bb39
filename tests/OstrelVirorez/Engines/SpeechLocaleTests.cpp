#include "OstrelVirorez/Engines/SpeechLocale.hpp"

#include <gtest/gtest.h>

namespace {

using ostrelvirorez::SpeechLocale;

TEST(SpeechLocaleTest, LanguageCodeIsTheLeadingCodeOfTheIdentifier) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"de-DE", "de"}, {"en_US", "en"},   {"fr", "fr"},        {"yue-Hant-HK", "yue"}, {"DE-de", "de"},
        {"", std::nullopt}, {"C", std::nullopt}, {"POSIX", std::nullopt}, {"de.UTF-8", std::nullopt},
    };
    for (const auto& [identifier, code] : cases) EXPECT_EQ(SpeechLocale{identifier}.languageCode(), code) << identifier;
}

} // namespace
