#include "OstrelVirorez/Services/DiagnosticsDateText.hpp"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace ostrelvirorez {

std::string diagnosticsDateText(std::chrono::system_clock::time_point moment, const std::string& locale,
                                const std::string& timeZone) {
    const auto icuLocale = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, icuLocale));
    if (!format) return {};
    if (!timeZone.empty()) format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone)));
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
    icu::UnicodeString text;
    format->format(static_cast<UDate>(millis), text);
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

} // namespace ostrelvirorez
