#include "Hushframe/Core/Models/TextOperations.hpp"

#include "Hushframe/Core/Models/Constants.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace hushframe {

namespace {

std::string withoutPunctuation(std::string_view text) {
    std::string kept;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t offset = 0; offset < length;) {
        const std::int32_t start = offset;
        UChar32 scalar = 0;
        U8_NEXT(bytes, offset, length, scalar);
        if (scalar >= 0 && platform::text::isPunctuation(static_cast<char32_t>(scalar))) continue;
        kept.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(offset - start)));
    }
    return kept;
}

std::string collapsingSpaces(std::string_view text) {
    std::string collapsed;
    for (const char c : text) {
        if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        collapsed += c;
    }
    return collapsed;
}

} // namespace

std::string normalized(std::string_view text) {
    std::string lowered = platform::text::lowercased(text);
    std::ranges::replace(lowered, '-', ' ');
    return platform::text::trimWhitespaceAndNewlines(collapsingSpaces(withoutPunctuation(lowered)));
}

std::string trimmingSpecialTokenCharacters(std::string_view text) {
    const auto first = text.find_first_not_of(Constants::specialTokenCharacters);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(Constants::specialTokenCharacters);
    return std::string(text.substr(first, last - first + 1));
}

} // namespace hushframe
