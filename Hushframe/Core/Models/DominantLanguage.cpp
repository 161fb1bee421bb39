#include "Hushframe/Core/Models/DominantLanguage.hpp"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdint>
#include <numeric>

namespace hushframe {

namespace {

enum Group { han, kana, thai, lao, myanmar, other, groupCount };

Group groupOf(UChar32 scalar) {
    UErrorCode status = U_ZERO_ERROR;
    switch (uscript_getScript(scalar, &status)) {
    case USCRIPT_HAN: return han;
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA: return kana;
    case USCRIPT_THAI: return thai;
    case USCRIPT_LAO: return lao;
    case USCRIPT_MYANMAR: return myanmar;
    default: return other;
    }
}

} // namespace

std::optional<std::string> dominantLanguageByScript(std::string_view text) {
    std::array<std::int64_t, groupCount> letters{};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t offset = 0; offset < length;) {
        UChar32 scalar = 0;
        U8_NEXT(bytes, offset, length, scalar);
        if (scalar >= 0 && u_isalpha(scalar)) ++letters[groupOf(scalar)];
    }
    const std::int64_t total = std::accumulate(letters.begin(), letters.end(), std::int64_t{0});
    if (total == 0) return std::nullopt;
    const auto holdsMost = [&](std::int64_t count) { return 2 * count > total; };
    if (letters[kana] > 0 && holdsMost(letters[han] + letters[kana])) return "ja";
    if (holdsMost(letters[han])) return "zh";
    if (holdsMost(letters[thai])) return "th";
    if (holdsMost(letters[lao])) return "lo";
    if (holdsMost(letters[myanmar])) return "my";
    return std::nullopt;
}

} // namespace hushframe
