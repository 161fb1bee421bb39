#include "OstrelVirorez/UI/General/MicrophoneModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <utility>

namespace ostrelvirorez {

MicrophoneModel::MicrophoneModel(AppSettings& settings, DeviceListSource source)
    : settings_(settings), source_(std::move(source)) {
    settingsWatch_ = settings_.userDefaults().changed().connect([this](const std::string& key) {
        if (key == "selectedMicrophoneUID") changed_.emit();
    });
    if (source_.watch) devicesWatch_ = source_.watch([this] { changed_.emit(); });
}

std::vector<AudioInputDevice> MicrophoneModel::devices() const {
    return source_.devices ? source_.devices() : std::vector<AudioInputDevice>{};
}

std::optional<std::size_t> MicrophoneModel::selectedIndex() const {
    const auto list = devices();
    const std::string stored = settings_.selectedMicrophoneUID();
    const auto found = std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.uid == stored; });
    if (found == list.end()) return std::nullopt;
    return static_cast<std::size_t>(found - list.begin());
}

void MicrophoneModel::choose(std::size_t index) {
    const auto list = devices();
    if (index >= list.size()) return;
    if (settings_.selectedMicrophoneUID() != list[index].uid) settings_.setSelectedMicrophoneUID(list[index].uid);
}

} // namespace ostrelvirorez
