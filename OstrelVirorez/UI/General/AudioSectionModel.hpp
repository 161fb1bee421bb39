#pragma once
// The state of the "Audio" card: three switches and, while ducking is on, the
// duck level as a slider of 0.05 steps from 5% to 50% with its percentage.

#include "OstrelVirorez/UI/General/SettingToggle.hpp"
#include "Platform/Core/Signal.hpp"

#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

class AudioSectionModel {
public:
    // Slider positions count steps of 0.05: 1 (5%) to 10 (50%).
    static constexpr int lowestLevelStep = 1;
    static constexpr int highestLevelStep = 10;
    static constexpr int stepsPerWhole = 20; // 0.05 each

    explicit AudioSectionModel(AppSettings& settings);

    // "Sounds", "Pause Media During Recording", "Duck Audio During Recording".
    const std::vector<general::SettingToggle>& toggles() const { return toggles_; }

    bool showsLevelRow() const;
    // The stored level's nearest slider position, kept in range.
    int levelPosition() const;
    void setLevelPosition(int position);
    // The stored level as a whole percentage, e.g. "20%".
    std::string levelText() const;

    platform::Signal<>& changed() { return changed_; }

private:
    AppSettings& settings_;
    std::vector<general::SettingToggle> toggles_;
    platform::Signal<> changed_;
    platform::Connection settingsWatch_;
};

} // namespace ostrelvirorez
