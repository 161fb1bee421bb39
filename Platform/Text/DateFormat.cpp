#include "Platform/Text/DateFormat.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Text/IcuString.hpp"

#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace platform {

namespace {

using text::detail::throwIfFailed;
using text::detail::toUnicode;
using text::detail::toUtf8;

std::unique_ptr<icu::TimeZone> makeTimeZone(const std::string& id)
{
    if (id.empty())
        return std::unique_ptr<icu::TimeZone>(icu::TimeZone::detectHostTimeZone());
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(toUnicode(id)));
    if (!zone || *zone == icu::TimeZone::getUnknown())
        throw Error("Unknown time zone \"" + id + "\"");
    return zone;
}

} // namespace

struct DateFormat::Formatter {
    icu::Locale locale;
    std::unique_ptr<icu::SimpleDateFormat> icu;
};

DateFormat::DateFormat(std::string_view pattern, const std::string& locale, const std::string& timeZone)
    : formatter_(std::make_unique<Formatter>())
{
    UErrorCode status = U_ZERO_ERROR;
    formatter_->locale = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    formatter_->icu = std::make_unique<icu::SimpleDateFormat>(toUnicode(pattern), formatter_->locale, status);
    throwIfFailed(status, "Unusable date pattern \"" + std::string(pattern) + "\"");
    formatter_->icu->adoptTimeZone(makeTimeZone(timeZone).release());
    formatter_->icu->setLenient(false);
}

DateFormat::~DateFormat() = default;
DateFormat::DateFormat(DateFormat&&) noexcept = default;
DateFormat& DateFormat::operator=(DateFormat&&) noexcept = default;

void DateFormat::setPattern(std::string_view pattern)
{
    UErrorCode status = U_ZERO_ERROR;
    auto replacement = std::make_unique<icu::SimpleDateFormat>(toUnicode(pattern), formatter_->locale, status);
    throwIfFailed(status, "Unusable date pattern \"" + std::string(pattern) + "\"");
    replacement->setTimeZone(formatter_->icu->getTimeZone());
    replacement->setLenient(false);
    formatter_->icu = std::move(replacement);
}

std::string DateFormat::timeZoneId() const
{
    icu::UnicodeString id;
    formatter_->icu->getTimeZone().getID(id);
    return toUtf8(id);
}

std::string DateFormat::format(std::chrono::system_clock::time_point instant) const
{
    const auto milliseconds = std::chrono::floor<std::chrono::milliseconds>(instant.time_since_epoch());
    icu::UnicodeString result;
    formatter_->icu->format(static_cast<UDate>(milliseconds.count()), result);
    return toUtf8(result);
}

std::optional<std::chrono::system_clock::time_point> DateFormat::parse(std::string_view text) const
{
    const auto input = toUnicode(text);
    icu::ParsePosition position(0);
    const UDate date = formatter_->icu->parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length())
        return std::nullopt;
    const std::chrono::milliseconds sinceEpoch(static_cast<int64_t>(date));
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
}

} // namespace platform
