#include "OstrelVirorez/Engines/SpeechLocale.hpp"

#include <algorithm>

namespace ostrelvirorez {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

std::optional<std::string> SpeechLocale::languageCode() const {
    const auto end = std::find_if(identifier.begin(), identifier.end(), [](char c) { return !isAsciiLetter(c); });
    const bool endsAtSeparator = end == identifier.end() || *end == '-' || *end == '_';
    const auto length = end - identifier.begin();
    if (!endsAtSeparator || length < 2 || length > 3) return std::nullopt;
    std::string code(identifier.begin(), end);
    std::transform(code.begin(), code.end(), code.begin(), asciiLower);
    return code;
}

} // namespace ostrelvirorez
