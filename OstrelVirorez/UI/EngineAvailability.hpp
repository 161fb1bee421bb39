#pragma once
// Which speech engines cannot run on this computer, and why. Every engine
// picker shows such an engine disabled with this reason, so it cannot be
// chosen.

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <optional>
#include <string>

namespace ostrelvirorez {

// Why `engine` cannot run here, in German; absent when it can.
std::optional<std::string> engineUnavailableReason(EngineType engine);

} // namespace ostrelvirorez
