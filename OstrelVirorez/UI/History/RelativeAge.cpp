#include "OstrelVirorez/UI/History/RelativeAge.hpp"

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/ureldatefmt.h>
#include <unicode/unistr.h>

#include <array>
#include <memory>

namespace ostrelvirorez {
namespace {

struct Unit {
    std::int64_t seconds;
    URelativeDateTimeUnit unit;
};

// Largest first; the first unit that fits at least once is used.
constexpr std::array units{
    Unit{365 * 24 * 3600, UDAT_REL_UNIT_YEAR},  Unit{30 * 24 * 3600, UDAT_REL_UNIT_MONTH},
    Unit{7 * 24 * 3600, UDAT_REL_UNIT_WEEK},    Unit{24 * 3600, UDAT_REL_UNIT_DAY},
    Unit{3600, UDAT_REL_UNIT_HOUR},             Unit{60, UDAT_REL_UNIT_MINUTE},
    Unit{1, UDAT_REL_UNIT_SECOND},
};

} // namespace

std::string relativeAgeText(std::chrono::system_clock::time_point moment, std::chrono::system_clock::time_point now,
                            const std::string& locale) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - moment).count();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale chosen = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    icu::RelativeDateTimeFormatter formatter(chosen, status);
    if (U_FAILURE(status)) return {};
    icu::UnicodeString text;
    if (elapsed <= 0) {
        formatter.format(UDAT_DIRECTION_PLAIN, UDAT_ABSOLUTE_NOW, text, status);
    } else {
        for (const Unit& unit : units) {
            if (elapsed < unit.seconds) continue;
            formatter.formatNumeric(-double(elapsed / unit.seconds), unit.unit,
                                    text, status);
            break;
        }
    }
    if (U_FAILURE(status)) return {};
    std::string result;
    text.toUTF8String(result);
    return result;
}

} // namespace ostrelvirorez
