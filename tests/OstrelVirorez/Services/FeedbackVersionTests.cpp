#include "OstrelVirorez/Services/BundleVersion.hpp"
#include "OstrelVirorez/Services/DiagnosticsDateText.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "OstrelVirorez/Services/OperatingSystemVersion.hpp"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

TEST(OperatingSystemVersion, NamesTheSystemWithThreeNumbers) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"6.1.0-18-amd64", "Linux 6.1.0"},
        {"5.15.90.1-microsoft-standard-WSL2", "Linux 5.15.90"},
        {"6.8", "Linux 6.8.0"},
        {"6.8-rc1", "Linux 6.8.0"},
        {"6.10.12+debian", "Linux 6.10.12"},
        {"", "Linux 0.0.0"},
        {"weird", "Linux 0.0.0"},
    };
    for (const auto& [release, expected] : cases) {
        EXPECT_EQ(operatingSystemVersionText("Linux", release), expected) << release;
    }
    EXPECT_TRUE(std::regex_match(FeedbackService::osVersion(), std::regex(R"(Linux \d+\.\d+\.\d+)")))
        << FeedbackService::osVersion();
}

TEST(BundleVersion, MissingValuesReadAsZero) {
    EXPECT_EQ((BundleVersion{"1.4.2", "57"}.text()), "1.4.2 (57)");
    EXPECT_EQ((BundleVersion{std::nullopt, std::nullopt}.text()), "0 (0)");
    EXPECT_EQ((BundleVersion{"1.4.2", std::nullopt}.text()), "1.4.2 (0)");
    EXPECT_EQ(FeedbackService::appVersion(), BundleVersion::current().text());
}

TEST(DiagnosticsDateText, UsesTheLocalesMediumDateAndShortTime) {
    const auto moment = std::chrono::system_clock::time_point(1'700'000'000s);  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(diagnosticsDateText(moment, "de_DE", "UTC"), "14.11.2023, 22:13");
    EXPECT_EQ(diagnosticsDateText(moment, "de_DE", "Europe/Berlin"), "14.11.2023, 23:13");
}

} // namespace
