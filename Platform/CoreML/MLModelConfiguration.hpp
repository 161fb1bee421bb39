#pragma once
// How a model is to be loaded: compute units, whether the GPU may accumulate in
// low precision, and which function of a multi-function model to load.

#include "Platform/CoreML/MLComputeUnits.hpp"

#include <optional>
#include <string>

namespace platform::coreml {

struct MLModelConfiguration {
    MLComputeUnits computeUnits = MLComputeUnits::all;
    bool allowLowPrecisionAccumulationOnGPU = false;
    std::optional<std::string> functionName;

    bool operator==(const MLModelConfiguration&) const = default;
};

} // namespace platform::coreml
