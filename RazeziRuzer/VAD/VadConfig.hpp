#pragma once
// Settings of the voice-activity detector: the speech threshold and the
// compute units its model is loaded with.

#include "Platform/CoreML/MLComputeUnits.hpp"

namespace razeziruzer {

struct VadConfig {
    float defaultThreshold = 0.85f;
    // Kept with the settings; no result depends on it.
    bool debugMode = false;
    platform::coreml::MLComputeUnits computeUnits = platform::coreml::MLComputeUnits::cpuAndNeuralEngine;

    static VadConfig default_() { return {}; }
};

} // namespace razeziruzer
