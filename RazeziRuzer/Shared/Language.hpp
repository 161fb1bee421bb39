#pragma once
// The languages a caller may hint to the recognisers (ISO 639-1 codes), each
// written in one script.

#include "RazeziRuzer/Shared/RawValue.hpp"
#include "RazeziRuzer/Shared/Script.hpp"

#include <cstdint>
#include <string_view>

namespace razeziruzer {

enum class Language : std::uint8_t {
    english,
    spanish,
    french,
    german,
    italian,
    portuguese,
    romanian,
    dutch,
    danish,
    swedish,
    finnish,
    hungarian,
    estonian,
    latvian,
    lithuanian,
    maltese,
    polish,
    czech,
    slovak,
    slovenian,
    croatian,
    bosnian,
    russian,
    ukrainian,
    belarusian,
    bulgarian,
    serbian,
    greek,
};

std::string_view rawValue(Language language);
Script script(Language language);

template <>
std::optional<Language> fromRawValue<Language>(std::string_view rawValue);
template <>
std::span<const Language> allCases<Language>();

} // namespace razeziruzer
