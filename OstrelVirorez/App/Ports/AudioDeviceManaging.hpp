#pragma once
// What the application state needs of the input-device list: read it now,
// follow the sound server's changes, and look up the current devices.

#include "OstrelVirorez/Audio/AudioInputDevice.hpp"

#include <vector>

namespace ostrelvirorez {

class AudioDeviceManaging {
public:
    virtual ~AudioDeviceManaging() = default;

    virtual void refreshDevices() = 0;
    virtual void installDeviceChangeListener() = 0;
    virtual std::vector<AudioInputDevice> inputDevices() const = 0;
};

} // namespace ostrelvirorez
