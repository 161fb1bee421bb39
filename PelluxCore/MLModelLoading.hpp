#pragma once
// What a wrapper that owns one model offers for loading and unloading it.
// Implementations that override loadModel bring the two-argument form back
// into scope with `using MLModelLoading::loadModel;`.

#include "Platform/CoreML/MLComputeUnits.hpp"

#include <filesystem>

namespace pelluxcore {

class MLModelLoading {
public:
    virtual ~MLModelLoading() = default;

    virtual void loadModel(const std::filesystem::path& at, platform::coreml::MLComputeUnits computeUnits,
                           bool prewarmMode) = 0;
    virtual void unloadModel() = 0;

    void loadModel(const std::filesystem::path& at, platform::coreml::MLComputeUnits computeUnits) {
        loadModel(at, computeUnits, false);
    }
};

} // namespace pelluxcore
