#pragma once
// The pattern object of tokenizer files, {"String": text} or {"Regex": pattern},
// compiled to one regular expression (a String matches itself literally).

#include "Platform/Text/Regex.hpp"

#include <nlohmann/json_fwd.hpp>

#include <string_view>

namespace modelhubkit {

// Throws TokenizerError (malformedTokenizer) for another shape or a pattern
// that does not compile.
platform::Regex compileTextPattern(const nlohmann::json& pattern);

platform::Regex literalPattern(std::string_view text);

} // namespace modelhubkit
