#pragma once
// The outcome of one detector chunk.

#include "RazeziRuzer/VAD/VadState.hpp"

namespace razeziruzer {

struct VadResult {
    float probability = 0;
    // probability at or above the producing detector's threshold
    bool isVoiceActive = false;
    double processingTime = 0;  // seconds of wall time
    VadState outputState;
};

} // namespace razeziruzer
