#include "Platform/Text/DateFormat.hpp"

#include "Platform/Core/Error.hpp"
#include "tests/Support/ScopedEnvironment.hpp"

#include <gtest/gtest.h>

namespace {

using platform::DateFormat;
using namespace std::chrono;

// 2024-03-05 07:08:09.123 UTC: Berlin is one hour ahead (winter time).
const system_clock::time_point winter = sys_days{2024y / March / 5} + 7h + 8min + 9s + 123ms;
// 2023-12-31 23:30:00 UTC: already 2024 in Berlin; ISO week-year 2024 too.
const system_clock::time_point newYear = sys_days{2023y / December / 31} + 23h + 30min;
// 2024-07-01 12:00:00 UTC: summer time, two hours ahead.
const system_clock::time_point summer = sys_days{2024y / July / 1} + 12h;

TEST(DateFormat, PatternsInTwoZones)
{
    struct Row {
        const char* pattern;
        system_clock::time_point instant;
        const char* utc;
        const char* berlin;
    };
    const std::vector<Row> rows{
        {"dd.MM.yyyy", winter, "05.03.2024", "05.03.2024"},
        {"yyyy-MM-dd", newYear, "2023-12-31", "2024-01-01"},
        {"HH:mm", winter, "07:08", "08:08"},
        {"HH:mm", summer, "12:00", "14:00"},
        {"dd.MM.yyyy HH:mm", newYear, "31.12.2023 23:30", "01.01.2024 00:30"},
        {"HH:mm:ss.SSS", winter, "07:08:09.123", "08:08:09.123"},
        {"yyyy", sys_days{2024y / December / 30} + 12h, "2024", "2024"}, // calendar year, not week-based
        {"YYYY", sys_days{2024y / December / 30} + 12h, "2025", "2025"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DateFormat(row.pattern, "de_DE", "UTC").format(row.instant), row.utc) << row.pattern;
        EXPECT_EQ(DateFormat(row.pattern, "de_DE", "Europe/Berlin").format(row.instant), row.berlin) << row.pattern;
    }
}

TEST(DateFormat, LocaleNamesMonthsAndWeekdays)
{
    EXPECT_EQ(DateFormat("EEEE, d. MMMM yyyy", "de_DE", "UTC").format(winter), "Dienstag, 5. M\u00e4rz 2024");
    EXPECT_EQ(DateFormat("EEEE, MMMM d, yyyy h:mm a", "en_US_POSIX", "UTC").format(winter),
              "Tuesday, March 5, 2024 7:08 AM");
}

TEST(DateFormat, SetPatternKeepsLocaleAndZone)
{
    DateFormat format("dd.MM.yyyy", "de_DE", "Europe/Berlin");
    EXPECT_EQ(format.format(newYear), "01.01.2024");
    format.setPattern("MMMM HH:mm");
    EXPECT_EQ(format.format(newYear), "Januar 00:30");
    EXPECT_EQ(format.timeZoneId(), "Europe/Berlin");
}

TEST(DateFormat, MillisecondsAreCutNotRounded)
{
    const auto almost = sys_days{2024y / March / 5} + 59s + 999999us;
    EXPECT_EQ(DateFormat("ss.SSS", "en_US_POSIX", "UTC").format(almost), "59.999");
    const auto beforeEpoch = system_clock::time_point{} - 1500us;
    EXPECT_EQ(DateFormat("yyyy-MM-dd HH:mm:ss.SSS", "en_US_POSIX", "UTC").format(beforeEpoch), "1969-12-31 23:59:59.998");
}

TEST(DateFormat, DefaultZoneIsTheProcessZone)
{
    testsupport::ScopedEnvironment environment;
    environment.set("TZ", "Asia/Tokyo");
    const DateFormat format("HH:mm", "en_US_POSIX");
    EXPECT_EQ(format.timeZoneId(), "Asia/Tokyo");
    EXPECT_EQ(format.format(winter), "16:08");
}

TEST(DateFormat, ParsesTheWholeTextStrictly)
{
    const DateFormat format("dd.MM.yyyy HH:mm", "de_DE", "Europe/Berlin");
    EXPECT_EQ(format.parse("01.01.2024 00:30"), newYear);
    EXPECT_EQ(format.parse("01.01.2024 00:30 extra"), std::nullopt);
    EXPECT_EQ(format.parse("32.01.2024 00:30"), std::nullopt);
    EXPECT_EQ(format.parse(""), std::nullopt);
}

TEST(DateFormat, UnknownZoneIsAnError)
{
    try {
        DateFormat("HH:mm", "de_DE", "Mars/Olympus");
        FAIL() << "expected an error";
    } catch (const platform::Error& error) {
        EXPECT_EQ(error.description(), "Unknown time zone \"Mars/Olympus\"");
    }
}

} // namespace
