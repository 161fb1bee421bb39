#pragma once
// Unicode properties of scalars, and the same questions asked of whole
// characters: a character (grapheme cluster) has a property when its first
// scalar has it, so "e" + combining acute is a letter.

#include <optional>
#include <string_view>

namespace platform::text {

using ScalarPredicate = bool (*)(char32_t);

bool isLetter(char32_t scalar);          // general category L*
bool isUppercaseLetter(char32_t scalar); // Lu
bool isLowercaseLetter(char32_t scalar); // Ll
bool isDigit(char32_t scalar);           // Nd, decimal digits of any script
bool isNumber(char32_t scalar);          // any Unicode numeric type ("½", "Ⅻ", "٣")
bool isPunctuation(char32_t scalar);     // P*
bool isSymbol(char32_t scalar);          // S*

// First scalar of the text; absent when it is empty. Ill-formed UTF-8 reads as U+FFFD.
std::optional<char32_t> firstScalar(std::string_view text);

// `character` is one character (as returned by characters()).
bool characterIs(std::string_view character, ScalarPredicate predicate);
// False for an empty text.
bool firstCharacterIs(std::string_view text, ScalarPredicate predicate);
bool lastCharacterIs(std::string_view text, ScalarPredicate predicate);

} // namespace platform::text
