#pragma once
// One buffer of audio handed to the system speech analyzer.

#include "Platform/Audio/PCMBuffer.hpp"

namespace ostrelvirorez {

struct AnalyzerInput {
    platform::audio::PCMBuffer buffer;
};

} // namespace ostrelvirorez
