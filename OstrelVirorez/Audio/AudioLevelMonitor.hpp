#pragma once
// The input level (0…1) the dictation indicator draws; written on the main
// queue only.

#include "Platform/Core/Signal.hpp"

namespace ostrelvirorez {

class AudioLevelMonitor {
public:
    platform::Observable<float> level{0.0f};
};

} // namespace ostrelvirorez
