#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedRnntDecoder.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include <limits>
#include <optional>
#include <stdexcept>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArrayDataType;

namespace {

std::int32_t blankToken(const UnifiedConfig& config) {
    if (config.blankIdx < std::numeric_limits<std::int32_t>::min() ||
        config.blankIdx > std::numeric_limits<std::int32_t>::max()) {
        throw std::invalid_argument("blank id does not fit 32 bits");
    }
    return static_cast<std::int32_t>(config.blankIdx);
}

std::optional<platform::coreml::MLMultiArray> output(const MLDictionaryFeatureProvider& outputs, const char* name) {
    const auto value = outputs.featureValue(name);
    return value ? value->multiArrayValue() : std::nullopt;
}

} // namespace

UnifiedRnntDecoder::UnifiedRnntDecoder(MLModel decoderModel, MLModel jointDecisionModel, UnifiedConfig config)
    : decoderModel_(std::move(decoderModel)), jointDecisionModel_(std::move(jointDecisionModel)), config_(config),
      hState_(zeroState(config)), cState_(zeroState(config)), lastToken_(blankToken(config)) {}

void UnifiedRnntDecoder::reset() {
    hState_ = zeroState(config_);
    cState_ = zeroState(config_);
    lastToken_ = blankToken(config_);
}

UnifiedRnntDecoder::MLMultiArray UnifiedRnntDecoder::zeroState(const UnifiedConfig& config) {
    return MLMultiArray({config.decoderLayers, 1, config.decoderHidden}, MLMultiArrayDataType::float32);
}

UnifiedRnntDecoder::MLMultiArray UnifiedRnntDecoder::extractEncoderStep(const MLMultiArray& encoded,
                                                                        std::int64_t timeIndex) {
    const auto hidden = encoded.shape().at(1);
    const auto& strides = encoded.strides();
    MLMultiArray step({1, hidden, 1}, MLMultiArrayDataType::float32);
    auto* target = step.dataPointer<float>();
    if (encoded.dataType() == MLMultiArrayDataType::float32) {
        const auto* source = encoded.dataPointer<float>();
        for (std::int64_t i = 0; i < hidden; ++i) target[i] = source[timeIndex * strides[2] + i * strides[1]];
    } else {
        for (std::int64_t i = 0; i < hidden; ++i) target[i] = encoded[{0, i, timeIndex}].floatValue();
    }
    return step;
}

UnifiedRnntDecoder::DecoderStep UnifiedRnntDecoder::runDecoder(std::int32_t token, const MLMultiArray& h,
                                                               const MLMultiArray& c) const {
    MLMultiArray targets({1, 1}, MLMultiArrayDataType::int32);
    targets[0] = token;
    MLMultiArray targetLength({1}, MLMultiArrayDataType::int32);
    targetLength[0] = 1;
    const auto outputs = decoderModel_.prediction(MLDictionaryFeatureProvider({{"targets", MLFeatureValue(targets)},
                                                                                {"target_length", MLFeatureValue(targetLength)},
                                                                                {"h_in", MLFeatureValue(h)},
                                                                                {"c_in", MLFeatureValue(c)}}));
    auto decoder = output(outputs, "decoder");
    auto hOut = output(outputs, "h_out");
    auto cOut = output(outputs, "c_out");
    if (!decoder || !hOut || !cOut) throw ASRError::processingFailed("Unified decoder failed");
    return {std::move(*decoder), std::move(*hOut), std::move(*cOut)};
}

std::vector<UnifiedRnntDecoder::Emission> UnifiedRnntDecoder::decode(const MLMultiArray& encoded,
                                                                     std::int64_t frameBegin, std::int64_t frameEnd,
                                                                     std::int64_t globalFrameOffset) {
    // Work on copies so a failure part-way leaves the stored hypothesis whole.
    auto current = runDecoder(lastToken_, hState_, cState_);
    auto previousH = hState_;
    auto previousC = cState_;
    auto token = lastToken_;
    std::vector<Emission> emissions;
    for (auto t = frameBegin; t < frameEnd; ++t) {
        const auto step = extractEncoderStep(encoded, t);
        for (std::int64_t symbol = 0; symbol < config_.maxSymbolsPerFrame; ++symbol) {
            const auto joint = jointDecisionModel_.prediction(MLDictionaryFeatureProvider(
                {{"encoder_step", MLFeatureValue(step)}, {"decoder_step", MLFeatureValue(current.decoderOutput)}}));
            const auto tokenId = output(joint, "token_id");
            if (!tokenId) throw ASRError::processingFailed("Unified joint decision missing token_id");
            const auto prob = output(joint, "token_prob");
            const auto chosen = (*tokenId)[0].int32Value();
            if (chosen == static_cast<std::int32_t>(config_.blankIdx)) break;
            emissions.push_back({chosen, t + globalFrameOffset, prob ? (*prob)[0].floatValue() : 0.0f});
            auto next = runDecoder(chosen, current.hOut, current.cOut);
            previousH = std::move(current.hOut);
            previousC = std::move(current.cOut);
            current = std::move(next);
            token = chosen;
        }
    }
    lastToken_ = token;
    hState_ = std::move(previousH);
    cState_ = std::move(previousC);
    return emissions;
}

} // namespace razeziruzer
