#include "Hushframe/Decoding/TextDecoder.hpp"

#include "Hushframe/Core/Models/ModelInputs.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/ModelUtilities.hpp"
#include "Platform/Accel/Float16.hpp"

#include <cstring>

namespace hushframe {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

namespace {

std::optional<int> dimension(const TextDecoder& decoder, bool input, const char* feature, std::size_t position) {
    const auto& model = decoder.model();
    const auto* loaded = model ? &*model : nullptr;
    const auto size = input ? pelluxcore::ModelUtilities::getModelInputDimension(loaded, feature, position)
                            : pelluxcore::ModelUtilities::getModelOutputDimension(loaded, feature, position);
    if (!size) return std::nullopt;
    return static_cast<int>(*size);
}

std::size_t cacheElementSize(MLMultiArrayDataType type) {
    switch (type) {
    case MLMultiArrayDataType::float16: return 2;
    case MLMultiArrayDataType::float32:
    case MLMultiArrayDataType::int32: return 4;
    case MLMultiArrayDataType::float64: return 8;
    default: return 1;
    }
}

double readElement(const MLMultiArray& array, std::int64_t offset) {
    switch (array.dataType()) {
    case MLMultiArrayDataType::float16: return platform::accel::halfToFloat(array.dataPointer<std::uint16_t>()[offset]);
    case MLMultiArrayDataType::float32: return array.dataPointer<float>()[offset];
    case MLMultiArrayDataType::float64: return array.dataPointer<double>()[offset];
    case MLMultiArrayDataType::int32: return array.dataPointer<std::int32_t>()[offset];
    default: return array.dataPointer<std::int8_t>()[offset];
    }
}

void writeElement(const MLMultiArray& array, std::int64_t offset, double value) {
    switch (array.dataType()) {
    case MLMultiArrayDataType::float16:
        array.dataPointer<std::uint16_t>()[offset] = platform::accel::floatToHalf(static_cast<float>(value));
        break;
    case MLMultiArrayDataType::float32: array.dataPointer<float>()[offset] = static_cast<float>(value); break;
    case MLMultiArrayDataType::float64: array.dataPointer<double>()[offset] = value; break;
    case MLMultiArrayDataType::int32: array.dataPointer<std::int32_t>()[offset] = static_cast<std::int32_t>(value); break;
    default: array.dataPointer<std::int8_t>()[offset] = static_cast<std::int8_t>(value); break;
    }
}

// Copies one element at raw element offsets: bit for bit between arrays of
// one element type, converted through its value otherwise.
void copyElement(const MLMultiArray& target, std::int64_t targetOffset, const MLMultiArray& source,
                 std::int64_t sourceOffset) {
    if (target.dataType() != source.dataType()) {
        writeElement(target, targetOffset, readElement(source, sourceOffset));
        return;
    }
    const std::size_t size = cacheElementSize(target.dataType());
    auto* to = static_cast<unsigned char*>(target.dataPointer()) + targetOffset * static_cast<std::int64_t>(size);
    const auto* from =
        static_cast<const unsigned char*>(source.dataPointer()) + sourceOffset * static_cast<std::int64_t>(size);
    std::memcpy(to, from, size);
}

std::optional<MLMultiArray> arrayNamed(const platform::coreml::MLFeatureProvider& output, const std::string& name) {
    const auto value = output.featureValue(name);
    if (!value) return std::nullopt;
    return value->multiArrayValue();
}

} // namespace

std::optional<int> TextDecoder::logitsSize() const { return dimension(*this, false, "logits", 2); }
std::optional<int> TextDecoder::kvCacheEmbedDim() const { return dimension(*this, true, "key_cache", 1); }
std::optional<int> TextDecoder::kvCacheMaxSequenceLength() const { return dimension(*this, true, "key_cache", 3); }
std::optional<int> TextDecoder::windowSize() const { return dimension(*this, true, "encoder_output_embeds", 3); }
std::optional<int> TextDecoder::embedSize() const { return dimension(*this, true, "encoder_output_embeds", 1); }

bool TextDecoder::supportsWordTimestamps() const {
    return dimension(*this, false, "alignment_heads_weights", 0).has_value();
}

void TextDecoder::unloadModel() {
    WhisperMLModel::unloadModel();
    languageLogitsFilter_.reset();
}

TextDecoderMLMultiArrayOutputType TextDecoder::predictLogits(const TextDecoderMLMultiArrayInputType& input) {
    const auto& loaded = model();
    if (!loaded) return {};
    const TextDecoderInput features(input.inputIds, input.cacheLength, input.keyCache, input.valueCache,
                                    input.kvCacheUpdateMask, input.encoderOutputEmbeds, input.decoderKeyPaddingMask);
    const auto output = loaded->prediction(features);
    auto logits = arrayNamed(output, "logits");
    auto keyUpdates = arrayNamed(output, "key_cache_updates");
    auto valueUpdates = arrayNamed(output, "value_cache_updates");
    if (!logits || !keyUpdates || !valueUpdates) throw WhisperError::decodingLogitsFailed("Invalid model output");
    return {std::move(logits), DecodingCache{std::move(keyUpdates), std::move(valueUpdates),
                                             arrayNamed(output, "alignment_heads_weights")}};
}

void TextDecoder::updateKVCache(const MLMultiArray& keyTensor, const MLMultiArray& keySlice,
                                const MLMultiArray& valueTensor, const MLMultiArray& valueSlice,
                                std::int64_t insertAtIndex) {
    if (!keyTensor.dataPointer() || !keySlice.dataPointer() || !valueTensor.dataPointer() ||
        !valueSlice.dataPointer()) {
        return;
    }
    const std::int64_t embedDim = keyTensor.shape().at(1);
    const std::int64_t newPositions = keySlice.shape().at(3);
    const auto& sliceStrides = keySlice.strides();
    const auto& keyStrides = keyTensor.strides();
    const auto& valueStrides = valueTensor.strides();
    for (std::int64_t e = 0; e < embedDim; ++e) {
        for (std::int64_t i = 0; i < newPositions; ++i) {
            const std::int64_t sliceOffset = i * sliceStrides[3] + e * sliceStrides[1];
            const std::int64_t position = insertAtIndex + i;
            copyElement(keyTensor, position * keyStrides[3] + e * keyStrides[1], keySlice, sliceOffset);
            copyElement(valueTensor, position * valueStrides[3] + e * valueStrides[1], valueSlice, sliceOffset);
        }
    }
}

void TextDecoder::updateAlignmentWeights(const MLMultiArray& alignmentTensor, const MLMultiArray& alignmentSlice,
                                         std::int64_t insertAtIndex) {
    const std::int64_t columns = alignmentTensor.shape().at(1);
    const auto& tensorStrides = alignmentTensor.strides();
    const auto& sliceStrides = alignmentSlice.strides();
    for (std::int64_t j = 0; j < columns; ++j) {
        copyElement(alignmentTensor, (insertAtIndex + 1) * tensorStrides[0] + j * tensorStrides[1], alignmentSlice,
                    j * sliceStrides[1]);
    }
}

} // namespace hushframe
