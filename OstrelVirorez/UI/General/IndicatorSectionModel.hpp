#pragma once
// The state of the "Indicator" card: the style, visibility and position
// pickers, the two switches, and the live-preview interval stepper, which is
// shown only while the preview is on and never leaves 500 to 5000 ms.

#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/UI/General/SettingChoice.hpp"
#include "OstrelVirorez/UI/General/SettingToggle.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

class IndicatorSectionModel {
public:
    static constexpr std::int64_t shortestInterval = 500;
    static constexpr std::int64_t longestInterval = 5000;
    static constexpr std::int64_t intervalStep = 100;

    explicit IndicatorSectionModel(AppSettings& settings);

    static const std::vector<general::SettingChoice<IndicatorStyle>>& styleChoices();
    static const std::vector<general::SettingChoice<IndicatorVisibility>>& visibilityChoices();
    static const std::vector<general::SettingChoice<PillPosition>>& positionChoices();

    IndicatorStyle style() const;
    void chooseStyle(IndicatorStyle style);
    IndicatorVisibility visibility() const;
    void chooseVisibility(IndicatorVisibility visibility);
    PillPosition position() const;
    void choosePosition(PillPosition position);

    // "Show Text Feedback", then the live preview's switch.
    const std::vector<general::SettingToggle>& toggles() const { return toggles_; }

    bool showsIntervalRow() const;
    // The stored interval and " ms", e.g. "1800 ms".
    std::string intervalLabel() const;
    // Moves the interval by `steps` steps (negative: shorter), kept in range.
    void stepInterval(int steps);

    platform::Signal<>& changed() { return changed_; }

private:
    AppSettings& settings_;
    std::vector<general::SettingToggle> toggles_;
    platform::Signal<> changed_;
    platform::Connection settingsWatch_;
};

} // namespace ostrelvirorez
