#pragma once
// The pipeline's text helpers: a comparison form of a text, and the bare text
// of a special token.

#include <string>
#include <string_view>

namespace hushframe {

// Lower case, "-" as a space, punctuation removed, runs of spaces collapsed,
// white space trimmed: "Hello-World,  again!" becomes "hello world again".
std::string normalized(std::string_view text);

// "<", "|" and ">" trimmed from both ends: "<|en|>" becomes "en".
std::string trimmingSpecialTokenCharacters(std::string_view text);

} // namespace hushframe
