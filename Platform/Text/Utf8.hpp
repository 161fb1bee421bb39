#pragma once
// Whether bytes are well-formed UTF-8: no stray or missing continuation
// bytes, no overlong forms, no surrogates, nothing above U+10FFFF.

#include <string_view>

namespace platform::text {

bool isValidUtf8(std::string_view bytes);

} // namespace platform::text
