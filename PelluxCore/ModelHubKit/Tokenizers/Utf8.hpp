#pragma once
// Small UTF-8 helpers for tokenization: walking scalars and turning arbitrary
// bytes into valid UTF-8, so that decoded text is never ill-formed.

#include <cstddef>
#include <string>
#include <string_view>

namespace modelhubkit::utf8 {

// Byte length of the well-formed scalar starting at `offset`, or 0 when the
// bytes there are not a well-formed UTF-8 scalar.
std::size_t scalarLength(std::string_view text, std::size_t offset);

// The scalar starting at `offset`, stepping `offset` past it; ill-formed
// bytes read as U+FFFD, one per maximal ill-formed subsequence.
char32_t nextScalar(std::string_view text, std::size_t& offset);

void append(std::string& out, char32_t scalar);

// The bytes as valid UTF-8: every maximal ill-formed subsequence (a lone
// continuation byte, a multi-byte scalar cut short, ...) becomes one U+FFFD.
std::string makeValid(std::string_view bytes);

} // namespace modelhubkit::utf8
