#pragma once
// The state of the "Microphone" card: the input devices in the device
// manager's order, which one the stored UID names, and the choice of one.

#include "OstrelVirorez/UI/General/DeviceListSource.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

class MicrophoneModel {
public:
    MicrophoneModel(AppSettings& settings, DeviceListSource source);

    std::vector<AudioInputDevice> devices() const;
    // The first device whose UID is the stored one; absent when none is.
    std::optional<std::size_t> selectedIndex() const;
    // Stores the UID of the device at `index` of devices().
    void choose(std::size_t index);

    platform::Signal<>& changed() { return changed_; }

private:
    AppSettings& settings_;
    DeviceListSource source_;
    platform::Signal<> changed_;
    platform::Connection settingsWatch_;
    platform::Connection devicesWatch_;
};

} // namespace ostrelvirorez
