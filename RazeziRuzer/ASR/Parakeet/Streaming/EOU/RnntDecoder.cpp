#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/RnntDecoder.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/RnntDecoderError.hpp"

#include <algorithm>
#include <stdexcept>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

namespace {

MLMultiArray int32Array(std::vector<std::int64_t> shape, std::int64_t value) {
    MLMultiArray array(std::move(shape), MLMultiArrayDataType::int32);
    array[0] = static_cast<double>(value);
    return array;
}

MLMultiArray required(const MLDictionaryFeatureProvider& output, const std::string& name) {
    const auto value = output.featureValue(name);
    const auto array = value ? value->multiArrayValue() : std::nullopt;
    if (!array) throw RnntDecoderError::missingOutput(name);
    return *array;
}

// The [1, C, 1] column of a rank-3 array at one time index, through its strides.
MLMultiArray column(const MLMultiArray& source, std::int64_t timeIndex) {
    const auto channels = source.shape()[1];
    MLMultiArray result({1, channels, 1}, MLMultiArrayDataType::float32);
    auto* target = result.dataPointer<float>();
    const auto& strides = source.strides();
    if (source.dataType() == MLMultiArrayDataType::float32) {
        const auto* data = source.dataPointer<float>();
        for (std::int64_t i = 0; i < channels; ++i) target[i] = data[timeIndex * strides[2] + i * strides[1]];
    } else {
        for (std::int64_t i = 0; i < channels; ++i) target[i] = source[{0, i, timeIndex}].floatValue();
    }
    return result;
}

} // namespace

RnntDecoder::RnntDecoder(MLModel decoderModel, MLModel jointModel, std::optional<MLModel> fusedModel)
    : decoderModel_(std::move(decoderModel)), jointModel_(std::move(jointModel)), fusedModel_(std::move(fusedModel)),
      hState_(zeroState()), cState_(zeroState()) {}

MLMultiArray RnntDecoder::zeroState() { return MLMultiArray({layers, 1, hiddenSize}, MLMultiArrayDataType::float32); }

void RnntDecoder::resetState() {
    hState_ = zeroState();
    cState_ = zeroState();
    lastToken_ = blankId;
}

void RnntDecoder::restoreState(State state) {
    hState_ = std::move(state.h);
    cState_ = std::move(state.c);
    lastToken_ = state.lastToken;
}

RnntDecoder::DecodeResult RnntDecoder::decodeWithEOU(const MLMultiArray& encoderOutput, std::int64_t /*timeOffset*/,
                                                     std::int64_t skipFrames,
                                                     std::optional<std::int64_t> validOutLen) {
    if (skipFrames < 0) throw std::invalid_argument("skipFrames must not be negative");
    if (encoderOutput.shape().size() != 3 || encoderOutput.dataType() != MLMultiArrayDataType::float32) {
        throw std::invalid_argument("encoder output must be a [1, hidden, T] 32-bit float array");
    }
    const auto frames = encoderOutput.shape()[2];
    const auto end = validOutLen ? std::min(frames, *validOutLen) : frames;
    DecodeResult result;
    for (std::int64_t t = skipFrames; t < end; ++t) {
        const auto frame = column(encoderOutput, t);
        for (int symbol = 0; symbol < maxSymbolsPerStep; ++symbol) {
            auto step = fusedModel_ ? fusedStep(frame) : referenceStep(frame);
            if (step.token == eouId) {
                result.eouDetected = true;
                return result;
            }
            if (step.token == blankId) break;
            result.tokenIds.push_back(step.token);
            result.tokenFrames.push_back(t);
            lastToken_ = step.token;
            hState_ = std::move(step.h);
            cState_ = std::move(step.c);
        }
    }
    return result;
}

RnntDecoder::Step RnntDecoder::referenceStep(const MLMultiArray& frame) const {
    const auto decoded = decoderModel_.prediction(MLDictionaryFeatureProvider(
        {{"targets", MLFeatureValue(int32Array({1, 1}, lastToken_))},
         {"target_length", MLFeatureValue(int32Array({1}, 1))},
         {"h_in", MLFeatureValue(hState_)},
         {"c_in", MLFeatureValue(cState_)}}));
    auto decoderStep = required(decoded, "decoder");
    if (decoderStep.shape().size() == 3 && decoderStep.shape()[2] >= 2) {
        decoderStep = column(decoderStep, decoderStep.shape()[2] - 1);
    }
    const auto joined = jointModel_.prediction(MLDictionaryFeatureProvider(
        {{"encoder_step", MLFeatureValue(frame)}, {"decoder_step", MLFeatureValue(decoderStep)}}));
    const auto token = required(joined, "token_id");
    auto h = required(decoded, "h_out");
    auto c = required(decoded, "c_out");
    return {token[0].int32Value(), std::move(h), std::move(c)};
}

RnntDecoder::Step RnntDecoder::fusedStep(const MLMultiArray& frame) const {
    const auto output = fusedModel_->prediction(MLDictionaryFeatureProvider(
        {{"targets", MLFeatureValue(int32Array({1, 1}, lastToken_))},
         {"h_in", MLFeatureValue(hState_)},
         {"c_in", MLFeatureValue(cState_)},
         {"encoder_step", MLFeatureValue(frame)}}));
    const auto token = required(output, "token_id");
    auto h = required(output, "h_out");
    auto c = required(output, "c_out");
    return {token[0].int32Value(), std::move(h), std::move(c)};
}

} // namespace razeziruzer
