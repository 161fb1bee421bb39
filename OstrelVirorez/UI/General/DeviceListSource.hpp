#pragma once
// Where the microphone card reads the input devices from: the current list,
// and a way to hear of each new list (absent when the list never changes).

#include "OstrelVirorez/Audio/AudioInputDevice.hpp"
#include "Platform/Core/Signal.hpp"

#include <functional>
#include <vector>

namespace ostrelvirorez {

struct DeviceListSource {
    std::function<std::vector<AudioInputDevice>()> devices;
    std::function<platform::Connection(std::function<void()>)> watch;
};

} // namespace ostrelvirorez
