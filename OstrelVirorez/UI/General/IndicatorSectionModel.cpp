#include "OstrelVirorez/UI/General/IndicatorSectionModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <set>

namespace ostrelvirorez {

IndicatorSectionModel::IndicatorSectionModel(AppSettings& settings) : settings_(settings) {
    toggles_ = {
        {"Show Text Feedback", "text.bubble", "indicatorTextFeedback", [this] { return settings_.indicatorTextFeedback(); },
         [this](bool on) { settings_.setIndicatorTextFeedback(on); }},
        {"Live-Transkript-Vorschau (experimentell)", "waveform.badge.magnifyingglass", "liveTranscriptEnabled",
         [this] { return settings_.liveTranscriptEnabled(); },
         [this](bool on) { settings_.setLiveTranscriptEnabled(on); }},
    };
    settingsWatch_ = settings_.userDefaults().changed().connect([this](const std::string& key) {
        static const std::set<std::string> shown{"indicatorStyle",        "indicatorVisibility",
                                                 "pillPosition",          "indicatorTextFeedback",
                                                 "liveTranscriptEnabled", "liveTranscriptIntervalMs"};
        if (shown.contains(key)) changed_.emit();
    });
}

const std::vector<general::SettingChoice<IndicatorStyle>>& IndicatorSectionModel::styleChoices() {
    static const std::vector<general::SettingChoice<IndicatorStyle>> choices{
        {IndicatorStyle::notch, "Notch"}, {IndicatorStyle::overlay, "Overlay"}, {IndicatorStyle::minimal, "Minimal"}};
    return choices;
}

const std::vector<general::SettingChoice<IndicatorVisibility>>& IndicatorSectionModel::visibilityChoices() {
    static const std::vector<general::SettingChoice<IndicatorVisibility>> choices{
        {IndicatorVisibility::always, "Always"},
        {IndicatorVisibility::duringActivity, "During Activity"},
        {IndicatorVisibility::never, "Never"}};
    return choices;
}

const std::vector<general::SettingChoice<PillPosition>>& IndicatorSectionModel::positionChoices() {
    static const std::vector<general::SettingChoice<PillPosition>> choices{{PillPosition::island, "Top (Island)"},
                                                                  {PillPosition::dock, "Bottom (Above Taskbar)"},
                                                                  {PillPosition::free, "Free Position"}};
    return choices;
}

IndicatorStyle IndicatorSectionModel::style() const { return settings_.indicatorStyle(); }
void IndicatorSectionModel::chooseStyle(IndicatorStyle style) {
    if (style != settings_.indicatorStyle()) settings_.setIndicatorStyle(style);
}

IndicatorVisibility IndicatorSectionModel::visibility() const { return settings_.indicatorVisibility(); }
void IndicatorSectionModel::chooseVisibility(IndicatorVisibility visibility) {
    if (visibility != settings_.indicatorVisibility()) settings_.setIndicatorVisibility(visibility);
}

PillPosition IndicatorSectionModel::position() const { return settings_.pillPosition(); }
void IndicatorSectionModel::choosePosition(PillPosition position) {
    if (position != settings_.pillPosition()) settings_.setPillPosition(position);
}

bool IndicatorSectionModel::showsIntervalRow() const { return settings_.liveTranscriptEnabled(); }

std::string IndicatorSectionModel::intervalLabel() const {
    return std::to_string(settings_.liveTranscriptIntervalMs()) + " ms";
}

void IndicatorSectionModel::stepInterval(int steps) {
    const std::int64_t stepped =
        std::clamp(settings_.liveTranscriptIntervalMs() + steps * intervalStep, shortestInterval, longestInterval);
    if (stepped != settings_.liveTranscriptIntervalMs()) settings_.setLiveTranscriptIntervalMs(stepped);
}

} // namespace ostrelvirorez
