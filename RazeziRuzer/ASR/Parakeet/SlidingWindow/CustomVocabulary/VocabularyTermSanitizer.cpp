#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/VocabularyTermSanitizer.hpp"

#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Normalization.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <functional>

namespace razeziruzer {

namespace {

bool anyScalar(const std::string& text, const std::function<bool(UChar32)>& predicate) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t offset = 0; offset < length;) {
        UChar32 scalar = 0;
        U8_NEXT(bytes, offset, length, scalar);
        if (scalar >= 0 && predicate(scalar)) return true;
    }
    return false;
}

bool isControl(UChar32 scalar) {
    const auto type = u_charType(scalar);
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
}

bool isLineBreak(UChar32 scalar) {
    return (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 || scalar == 0x2029;
}

bool isUsual(UChar32 scalar) {
    const auto mask = U_GET_GC_MASK(scalar);
    return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_ZS_MASK)) != 0 || scalar == '\t' || scalar == '-' ||
           scalar == '\'';
}

std::string dropBreaksAndWhitespace(const std::string& text) {
    std::string kept;
    for (const auto& character : platform::text::characters(text)) {
        UChar32 first = 0;
        int32_t offset = 0;
        U8_NEXT(reinterpret_cast<const uint8_t*>(character.data()), offset, static_cast<int32_t>(character.size()), first);
        const bool drop = first != ' ' && (isLineBreak(first) || (first >= 0 && u_isUWhiteSpace(first)));
        if (!drop) kept += character;
    }
    return kept;
}

} // namespace

SanitizedTerm sanitizeVocabularyTerm(const std::string& text) {
    SanitizedTerm result{text, {}};
    if (anyScalar(text, isControl)) {
        result.warnings.emplace_back("contains control characters");
        result.sanitized = dropBreaksAndWhitespace(text);
    }
    if (platform::text::foldDiacritics(result.sanitized) != result.sanitized) {
        result.warnings.emplace_back("contains diacritics - consider adding ASCII alias");
    }
    if (anyScalar(result.sanitized, [](UChar32 scalar) { return u_charType(scalar) == U_DECIMAL_DIGIT_NUMBER; })) {
        result.warnings.emplace_back("contains numbers");
    }
    if (anyScalar(result.sanitized, [](UChar32 scalar) { return !isUsual(scalar); })) {
        result.warnings.emplace_back("contains unusual characters");
    }
    return result;
}

} // namespace razeziruzer
