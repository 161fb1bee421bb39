#include "OstrelVirorez/UI/General/AppearanceModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/General/WholePercent.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <cmath>

namespace ostrelvirorez {

using namespace general;

using ostreldesignkit::OstrelAppearancePreset;

AppearanceModel::AppearanceModel(AppSettings& settings)
    : settings_(settings), shownPresetID_(settings.ostrelAppearancePresetID()) {
    settingsWatch_ =
        settings_.userDefaults().changed().connect([this](const std::string& key) { settingChanged(key); });
}

std::optional<std::size_t> AppearanceModel::selectedPresetIndex() const {
    const auto& presets = OstrelAppearancePreset::builtIn();
    const std::string stored = settings_.ostrelAppearancePresetID();
    const auto found = std::find_if(presets.begin(), presets.end(), [&](const auto& p) { return p.id == stored; });
    if (found == presets.end()) return std::nullopt;
    return static_cast<std::size_t>(found - presets.begin());
}

void AppearanceModel::choosePreset(std::size_t index) {
    const auto& presets = OstrelAppearancePreset::builtIn();
    if (index >= presets.size()) return;
    if (settings_.ostrelAppearancePresetID() != presets[index].id) {
        settings_.setOstrelAppearancePresetID(presets[index].id);
    }
}

void AppearanceModel::apply(const OstrelAppearancePreset& preset) {
    settings_.setOstrelBaseColorHex(preset.baseColorHex);
    settings_.setOstrelSidebarColorHex(preset.sidebarColorHex.value_or(""));
    settings_.setOstrelSidebarDarknessDelta(preset.sidebarDarknessDelta);
    settings_.setWindowGlassDarkness(preset.baseDarkness);
}

int AppearanceModel::darknessPosition() const {
    const auto nearest = static_cast<int>(std::lround(settings_.windowGlassDarkness() * stepsPerWhole));
    return std::clamp(nearest, 0, stepsPerWhole);
}

void AppearanceModel::setDarknessPosition(int position) {
    const double darkness = double(std::clamp(position, 0, stepsPerWhole)) / stepsPerWhole;
    if (darkness != settings_.windowGlassDarkness()) settings_.setWindowGlassDarkness(darkness);
}

std::string AppearanceModel::darknessText() const { return wholePercent(settings_.windowGlassDarkness()); }

void AppearanceModel::settingChanged(const std::string& key) {
    if (key == "ostrelAppearancePresetID") {
        const std::string stored = settings_.ostrelAppearancePresetID();
        if (stored != shownPresetID_) {
            shownPresetID_ = stored;
            if (const auto* preset = OstrelAppearancePreset::find(stored)) apply(*preset);
        }
        changed_.emit();
    } else if (key == "windowGlassDarkness") {
        changed_.emit();
    }
}

} // namespace ostrelvirorez
