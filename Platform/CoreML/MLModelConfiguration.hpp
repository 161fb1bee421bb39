#pragma once
// How a model is to be loaded: compute units, whether the GPU may accumulate in
// low precision, which function of a multi-function model to load, and how
// many threads the CPU runtime's predictions may use.

#include "Platform/CoreML/MLComputeUnits.hpp"

#include <optional>
#include <string>

namespace platform::coreml {

struct MLModelConfiguration {
    MLComputeUnits computeUnits = MLComputeUnits::all;
    bool allowLowPrecisionAccumulationOnGPU = false;
    std::optional<std::string> functionName;
    // 0: the environment variable OSTREL_MODEL_THREADS, else every core.
    int threadCount = 0;

    bool operator==(const MLModelConfiguration&) const = default;
};

} // namespace platform::coreml
