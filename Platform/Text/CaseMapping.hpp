#pragma once
// Full Unicode case mapping without locale tailoring (root rules: "ß"
// upper-cases to "SS", "I" lower-cases to "i" in every language), and
// case-insensitive comparison.

#include <string>
#include <string_view>

namespace platform::text {

std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);
// Upper-cases the first character and leaves the rest as it is.
std::string capitalizeFirst(std::string_view text);

// Caseless match under full case folding and canonical equivalence:
// "STRASSE" equals "straße", "É" equals "e" + U+0301.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// Code point order of the case-folded texts: negative, zero or positive.
int compareIgnoringCase(std::string_view a, std::string_view b);
// Collation order of a locale ("de_DE"; empty for the process's locale),
// ignoring case but not accents: negative, zero or positive.
int localizedCompareIgnoringCase(std::string_view a, std::string_view b, const std::string& locale = {});

} // namespace platform::text
