#pragma once
// Text helpers of the unified recognisers: a vocabulary piece with its word
// mark read as a space, and trimming of spaces and tabs (not line breaks).

#include <string>
#include <string_view>

namespace razeziruzer {

std::string pieceText(std::string_view piece);
std::string trimSpacesAndTabs(std::string_view text);

} // namespace razeziruzer
