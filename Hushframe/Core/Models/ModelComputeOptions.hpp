#pragma once
// Compute units of the pipeline's three models: mel spectrogram, audio encoder
// and text decoder.

#include "Platform/CoreML/MLComputeUnits.hpp"

#include <optional>

namespace hushframe {

struct ModelComputeOptions {
    // An absent encoder setting becomes defaultAudioEncoderCompute().
    explicit ModelComputeOptions(
        platform::coreml::MLComputeUnits melCompute = platform::coreml::MLComputeUnits::cpuAndGPU,
        std::optional<platform::coreml::MLComputeUnits> audioEncoderCompute = std::nullopt,
        platform::coreml::MLComputeUnits textDecoderCompute = platform::coreml::MLComputeUnits::cpuAndNeuralEngine);

    platform::coreml::MLComputeUnits melCompute;
    platform::coreml::MLComputeUnits audioEncoderCompute;
    platform::coreml::MLComputeUnits textDecoderCompute;

    bool operator==(const ModelComputeOptions&) const = default;
};

// The neural engine runs the encoder well only from macOS 14 on; every other
// system, this one included, gets the GPU.
platform::coreml::MLComputeUnits defaultAudioEncoderCompute(bool isMacOS14OrLater);
// This system is not macOS.
inline constexpr bool runningOnMacOS14OrLater = false;

} // namespace hushframe
