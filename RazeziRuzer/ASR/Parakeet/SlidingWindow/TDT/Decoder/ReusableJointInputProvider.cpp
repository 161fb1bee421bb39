#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/ReusableJointInputProvider.hpp"

namespace razeziruzer {

std::optional<platform::coreml::MLFeatureValue> ReusableJointInputProvider::featureValue(
    const std::string& featureName) const {
    if (featureName == "encoder_step") return platform::coreml::MLFeatureValue(encoderStep);
    if (featureName == "decoder_step") return platform::coreml::MLFeatureValue(decoderStep);
    return std::nullopt;
}

} // namespace razeziruzer
