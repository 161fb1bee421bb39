#pragma once
// The writing systems of the hint languages, and the test whether a text is
// written in one: every scalar lies in the script's ranges (digits, blanks and
// ASCII punctuation belong to every script, ASCII letters to latin only).

#include "RazeziRuzer/Shared/RawValue.hpp"

#include <cstdint>
#include <string_view>

namespace razeziruzer {

enum class Script : std::uint8_t { latin, cyrillic, greek };

// True for the empty text; ill-formed UTF-8 belongs to no script.
bool isWrittenIn(std::string_view text, Script script);

template <>
std::span<const Script> allCases<Script>();

} // namespace razeziruzer
