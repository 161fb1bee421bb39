#pragma once
// The readable name of an engine type, for log lines and the diagnostics text.

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <string>

namespace ostrelvirorez {

std::string engineDisplayName(EngineType type);

} // namespace ostrelvirorez
