#pragma once
// White space as Unicode defines it (the White_Space property: spaces, tabs,
// line and paragraph breaks), and the narrower set without line breaks.
// Trimming works scalar by scalar.

#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

bool isWhitespace(char32_t scalar);           // White_Space, line breaks included
bool isHorizontalWhitespace(char32_t scalar); // space separators (Zs) and U+0009 tab

std::string trimWhitespaceAndNewlines(std::string_view text);
std::string trimHorizontalWhitespace(std::string_view text);

// The non-empty runs of text between white space (line breaks included).
std::vector<std::string> splitOnWhitespace(std::string_view text);

} // namespace platform::text
