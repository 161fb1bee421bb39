#pragma once
// Formats and parses instants with an ICU date pattern ("dd.MM.yyyy HH:mm"),
// a locale and a time zone. Not for concurrent use: one instance per thread.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class DateFormat {
public:
    // `locale` like "de_DE" or "en_US_POSIX", empty for the process's locale;
    // `timeZone` an IANA id like "Europe/Berlin", empty for the process's local
    // zone. Throws platform::Error for an unknown zone or a pattern ICU refuses.
    explicit DateFormat(std::string_view pattern, const std::string& locale = {}, const std::string& timeZone = {});
    ~DateFormat();
    DateFormat(DateFormat&&) noexcept;
    DateFormat& operator=(DateFormat&&) noexcept;

    void setPattern(std::string_view pattern);
    std::string timeZoneId() const;

    // Fractions below a millisecond are cut off, never rounded up.
    std::string format(std::chrono::system_clock::time_point instant) const;
    // The instant the whole text stands for under the pattern (strict, not
    // lenient); absent when it does not fit.
    std::optional<std::chrono::system_clock::time_point> parse(std::string_view text) const;

private:
    struct Formatter;
    std::unique_ptr<Formatter> formatter_;
};

} // namespace platform
