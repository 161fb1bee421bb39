#include "Platform/Text/UnicodeProperties.hpp"

#include "Platform/Text/Characters.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace platform::text {

namespace {

bool inCategories(char32_t scalar, uint32_t mask)
{
    return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) & mask) != 0;
}

} // namespace

bool isLetter(char32_t scalar) { return inCategories(scalar, U_GC_L_MASK); }
bool isUppercaseLetter(char32_t scalar) { return inCategories(scalar, U_GC_LU_MASK); }
bool isLowercaseLetter(char32_t scalar) { return inCategories(scalar, U_GC_LL_MASK); }
bool isDigit(char32_t scalar) { return inCategories(scalar, U_GC_ND_MASK); }
bool isPunctuation(char32_t scalar) { return inCategories(scalar, U_GC_P_MASK); }
bool isSymbol(char32_t scalar) { return inCategories(scalar, U_GC_S_MASK); }

bool isNumber(char32_t scalar)
{
    return u_getIntPropertyValue(static_cast<UChar32>(scalar), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

std::optional<char32_t> firstScalar(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t index = 0;
    UChar32 scalar = 0;
    U8_NEXT(bytes, index, static_cast<int32_t>(text.size()), scalar);
    return scalar < 0 ? U'\uFFFD' : static_cast<char32_t>(scalar);
}

bool characterIs(std::string_view character, ScalarPredicate predicate)
{
    const auto scalar = firstScalar(character);
    return scalar && predicate(*scalar);
}

bool firstCharacterIs(std::string_view text, ScalarPredicate predicate)
{
    return characterIs(text, predicate);
}

bool lastCharacterIs(std::string_view text, ScalarPredicate predicate)
{
    const auto last = lastCharacter(text);
    return last && characterIs(*last, predicate);
}

} // namespace platform::text
