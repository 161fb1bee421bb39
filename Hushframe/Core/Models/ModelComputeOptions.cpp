#include "Hushframe/Core/Models/ModelComputeOptions.hpp"

namespace hushframe {

using platform::coreml::MLComputeUnits;

MLComputeUnits defaultAudioEncoderCompute(bool isMacOS14OrLater) {
    return isMacOS14OrLater ? MLComputeUnits::cpuAndNeuralEngine : MLComputeUnits::cpuAndGPU;
}

ModelComputeOptions::ModelComputeOptions(MLComputeUnits melCompute, std::optional<MLComputeUnits> audioEncoderCompute,
                                         MLComputeUnits textDecoderCompute)
    : melCompute(melCompute),
      audioEncoderCompute(audioEncoderCompute.value_or(defaultAudioEncoderCompute(runningOnMacOS14OrLater))),
      textDecoderCompute(textDecoderCompute) {}

} // namespace hushframe
