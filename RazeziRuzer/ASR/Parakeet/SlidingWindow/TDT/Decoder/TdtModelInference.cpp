#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtModelInference.hpp"

#include "Platform/CoreML/ArrayLayout.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/StridedCopy.hpp"
#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

#include <limits>
#include <string>
#include <type_traits>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

constexpr std::int64_t projectionSize = TdtDecoderState::hiddenSize;

[[noreturn]] void fail(const std::string& message) { throw ASRError::processingFailed(message); }

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

std::optional<MLMultiArray> multiArray(const MLFeatureProvider& provider, const char* key) {
    const auto value = provider.featureValue(key);
    if (!value) return std::nullopt;
    return value->multiArrayValue();
}

MLMultiArray requiredOutput(const MLFeatureProvider& output, const char* key) {
    auto array = multiArray(output, key);
    if (!array) fail(std::string("Joint decision output missing ") + key);
    return *array;
}

std::string joinedShape(const std::vector<std::int64_t>& shape) {
    std::string text;
    for (std::size_t i = 0; i < shape.size(); ++i) text += (i ? "x" : "") + std::to_string(shape[i]);
    return text;
}

// Every element in logical order, honouring the array's strides.
template <typename T>
std::vector<T> elements(const MLMultiArray& array) {
    std::vector<T> values;
    values.reserve(static_cast<std::size_t>(array.count()));
    for (std::int64_t i = 0; i < array.count(); ++i) {
        if constexpr (std::is_same_v<T, int>) {
            values.push_back(array[i].int32Value());
        } else {
            values.push_back(array[i].floatValue());
        }
    }
    return values;
}

std::optional<MLMultiArray> typedOutput(const MLFeatureProvider& from, const char* key, MLMultiArrayDataType type,
                                        const char* typeName) {
    auto array = multiArray(from, key);
    if (!array) return std::nullopt;
    if (array->dataType() != type) {
        fail(std::string("Expected ") + typeName + " for " + key + ", got " +
             std::to_string(platform::coreml::rawValue(array->dataType())));
    }
    return array;
}

} // namespace

TdtJointDecision TdtModelInference::runJointPrepared(
    const EncoderFrameView& encoderFrames, std::int64_t timeIndex, const MLMultiArray& /*preparedDecoderStep*/,
    const platform::coreml::MLModel& model, const MLMultiArray& /*encoderStep*/, float* encoderDestPtr,
    std::int64_t encoderDestStride, const MLFeatureProvider& inputProvider, const MLMultiArray& tokenIdBacking,
    const MLMultiArray& tokenProbBacking, const MLMultiArray& durationBacking, bool needsTopK) {
    encoderFrames.copyFrame(timeIndex, encoderDestPtr, encoderDestStride);
    predictionOptions.outputBackings = {
        {"token_id", tokenIdBacking}, {"token_prob", tokenProbBacking}, {"duration", durationBacking}};
    const auto output = model.prediction(inputProvider, predictionOptions);

    const auto tokenId = requiredOutput(output, "token_id");
    const auto tokenProb = requiredOutput(output, "token_prob");
    const auto duration = requiredOutput(output, "duration");
    if (tokenId.count() != 1 || tokenProb.count() != 1 || duration.count() != 1) {
        fail("Joint decision returned unexpected tensor shapes");
    }
    TdtJointDecision decision;
    decision.tokenId = *tokenId.dataPointer<std::int32_t>();
    decision.probability = *tokenProb.dataPointer<float>();
    decision.durationBin = *duration.dataPointer<std::int32_t>();
    if (needsTopK) {
        decision.topKIds = extractInt32Array(output, "top_k_ids");
        decision.topKLogits = extractFloat32Array(output, "top_k_logits");
        if (decision.topKIds.has_value() != decision.topKLogits.has_value()) {
            fail("Joint decision top-K outputs must be present as a pair (top_k_ids + top_k_logits)");
        }
        if (decision.topKIds && decision.topKIds->size() != decision.topKLogits->size()) {
            fail("Joint decision top-K length mismatch: " + std::to_string(decision.topKIds->size()) + " vs " +
                 std::to_string(decision.topKLogits->size()));
        }
    }
    return decision;
}

platform::coreml::MLDictionaryFeatureProvider TdtModelInference::runDecoder(int token, TdtDecoderState& state,
                                                                            const platform::coreml::MLModel& model,
                                                                            const MLMultiArray& tokenInput,
                                                                            const MLMultiArray& lengthInput) {
    tokenInput.dataPointer<std::int32_t>()[0] = token;
    const platform::coreml::MLDictionaryFeatureProvider input({{"targets", MLFeatureValue(tokenInput)},
                                                               {"target_length", MLFeatureValue(lengthInput)},
                                                               {"h_in", MLFeatureValue(state.hiddenState)},
                                                               {"c_in", MLFeatureValue(state.cellState)}});
    predictionOptions.outputBackings = {{"h_out", state.hiddenState}, {"c_out", state.cellState}};
    return model.prediction(input, predictionOptions);
}

MLMultiArray TdtModelInference::normalizeDecoderProjection(const MLMultiArray& projection,
                                                           const std::optional<MLMultiArray>& into) {
    const auto& shape = projection.shape();
    const auto shapeText = platform::coreml::layout::describe(shape);
    if (shape.size() != 3) fail("Invalid decoder projection rank: " + shapeText);
    if (shape[0] != 1) fail("Unsupported decoder batch dimension: " + std::to_string(shape[0]));
    if (projection.dataType() != MLMultiArrayDataType::float32) {
        fail("Unsupported decoder projection type: " + platform::coreml::dataTypeName(projection.dataType()));
    }
    int hiddenAxis = 0;
    if (shape[2] == projectionSize) {
        hiddenAxis = 2;
    } else if (shape[1] == projectionSize) {
        hiddenAxis = 1;
    } else {
        fail("Decoder projection hidden size mismatch: " + shapeText);
    }
    if (shape[static_cast<std::size_t>(hiddenAxis == 2 ? 1 : 2)] != 1) {
        fail("Decoder projection time axis must be 1: " + shapeText);
    }
    MLMultiArray destination = into ? *into
                                    : ANEMemoryUtils::createAlignedArray({1, projectionSize, 1},
                                                                         MLMultiArrayDataType::float32, true);
    const std::vector<std::int64_t> expected{1, projectionSize, 1};
    if (destination.dataType() != MLMultiArrayDataType::float32 || destination.shape() != expected) {
        fail("Prepared decoder step shape mismatch: " + joinedShape(destination.shape()));
    }
    const auto sourceStride = projection.strides()[static_cast<std::size_t>(hiddenAxis)];
    const auto destinationStride = destination.strides()[1];
    if (!fitsInt32(destinationStride)) fail("Decoder destination stride exceeds supported range");
    if (!fitsInt32(sourceStride)) fail("Decoder projection stride exceeds supported range");
    stridedCopy(projectionSize, projection.dataPointer<float>(), sourceStride, destination.dataPointer<float>(),
                destinationStride);
    return destination;
}

std::optional<std::vector<int>> TdtModelInference::extractInt32Array(const MLFeatureProvider& from, const char* key) {
    const auto array = typedOutput(from, key, MLMultiArrayDataType::int32, "Int32");
    if (!array) return std::nullopt;
    return elements<int>(*array);
}

std::optional<std::vector<float>> TdtModelInference::extractFloat32Array(const MLFeatureProvider& from,
                                                                         const char* key) {
    const auto array = typedOutput(from, key, MLMultiArrayDataType::float32, "Float32");
    if (!array) return std::nullopt;
    return elements<float>(*array);
}

} // namespace razeziruzer
