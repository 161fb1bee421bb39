#pragma once
// The "Smart Formatting" card: four switches over the local clean-up stages
// and the caption that explains them.

#include "OstrelVirorez/UI/General/SettingToggle.hpp"

#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

struct SmartFormattingModel {
    static std::vector<general::SettingToggle> toggles(AppSettings& settings);
    static const std::string& caption();
};

} // namespace ostrelvirorez
