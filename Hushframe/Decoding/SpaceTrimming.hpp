#pragma once
// Trims spaces and tabs only, keeping line breaks and other white space.

#include <string>

namespace hushframe {

inline std::string trimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace hushframe
