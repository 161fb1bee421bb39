#pragma once
// The status item's symbol for each dictation state.

#include "OstrelVirorez/Model/DictationState.hpp"

#include <string>

namespace ostrelvirorez {

std::string statusItemSymbol(const DictationState& state);

} // namespace ostrelvirorez
