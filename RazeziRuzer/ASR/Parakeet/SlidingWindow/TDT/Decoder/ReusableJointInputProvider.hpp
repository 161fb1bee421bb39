#pragma once
// The joint network's input over two arrays that the decoding loop refills
// before every call: "encoder_step" and "decoder_step".

#include "Platform/CoreML/MLFeatureProvider.hpp"

namespace razeziruzer {

class ReusableJointInputProvider final : public platform::coreml::MLFeatureProvider {
public:
    ReusableJointInputProvider(platform::coreml::MLMultiArray encoderStep, platform::coreml::MLMultiArray decoderStep)
        : encoderStep(std::move(encoderStep)), decoderStep(std::move(decoderStep)) {}

    std::set<std::string> featureNames() const override { return {"encoder_step", "decoder_step"}; }
    std::optional<platform::coreml::MLFeatureValue> featureValue(const std::string& featureName) const override;

    const platform::coreml::MLMultiArray encoderStep;
    const platform::coreml::MLMultiArray decoderStep;
};

} // namespace razeziruzer
