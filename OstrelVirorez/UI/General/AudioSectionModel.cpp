#include "OstrelVirorez/UI/General/AudioSectionModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/General/WholePercent.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <cmath>
#include <set>

namespace ostrelvirorez {

using namespace general;

AudioSectionModel::AudioSectionModel(AppSettings& settings) : settings_(settings) {
    toggles_ = {
        {"Sounds", "speaker.wave.2", "soundsEnabled", [this] { return settings_.soundsEnabled(); },
         [this](bool on) { settings_.setSoundsEnabled(on); }},
        {"Pause Media During Recording", "pause.circle", "mediaPauseEnabled",
         [this] { return settings_.mediaPauseEnabled(); }, [this](bool on) { settings_.setMediaPauseEnabled(on); }},
        {"Duck Audio During Recording", "speaker.minus", "audioDuckingEnabled",
         [this] { return settings_.audioDuckingEnabled(); },
         [this](bool on) { settings_.setAudioDuckingEnabled(on); }},
    };
    settingsWatch_ = settings_.userDefaults().changed().connect([this](const std::string& key) {
        static const std::set<std::string> shown{"soundsEnabled", "mediaPauseEnabled", "audioDuckingEnabled",
                                                 "audioDuckingLevel"};
        if (shown.contains(key)) changed_.emit();
    });
}

bool AudioSectionModel::showsLevelRow() const { return settings_.audioDuckingEnabled(); }

int AudioSectionModel::levelPosition() const {
    const auto nearest = static_cast<int>(std::lround(settings_.audioDuckingLevel() * stepsPerWhole));
    return std::clamp(nearest, lowestLevelStep, highestLevelStep);
}

void AudioSectionModel::setLevelPosition(int position) {
    // Divided rather than multiplied, so each position stores its exact
    // decimal fraction and shows its own percentage.
    const double level = double(std::clamp(position, lowestLevelStep, highestLevelStep)) / stepsPerWhole;
    if (level != settings_.audioDuckingLevel()) settings_.setAudioDuckingLevel(level);
}

std::string AudioSectionModel::levelText() const { return wholePercent(settings_.audioDuckingLevel()); }

} // namespace ostrelvirorez
