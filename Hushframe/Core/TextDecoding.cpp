#include "Hushframe/Core/TextDecoding.hpp"

#include "Hushframe/Core/WhisperError.hpp"

namespace hushframe {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

std::shared_ptr<DecodingInputs> TextDecoding::prepareDecoderInputs(const std::vector<int>& withPrompt) {
    const auto embedDim = kvCacheEmbedDim();
    if (!embedDim) throw WhisperError::prepareDecoderInputsFailed("Unable to determine kvCacheEmbedDim");
    const auto sequenceLength = kvCacheMaxSequenceLength();
    if (!sequenceLength) throw WhisperError::prepareDecoderInputsFailed("Unable to determine kvCacheMaxSequenceLength");
    const auto encoderFrames = windowSize();
    if (!encoderFrames) throw WhisperError::prepareDecoderInputsFailed("Unable to determine encoderOutputDim");

    const std::int64_t e = *embedDim;
    const std::int64_t s = *sequenceLength;
    const std::int64_t w = *encoderFrames;
    MLMultiArray inputIds({1}, MLMultiArrayDataType::int32, 0);
    MLMultiArray cacheLength({1}, MLMultiArrayDataType::int32, 0);
    MLMultiArray keyCache({1, e, 1, s}, MLMultiArrayDataType::float16, 0);
    MLMultiArray valueCache({1, e, 1, s}, MLMultiArrayDataType::float16, 0);
    MLMultiArray alignmentWeights({s, w}, MLMultiArrayDataType::float16, 0);
    MLMultiArray kvCacheUpdateMask({1, s}, MLMultiArrayDataType::int32, 0);
    MLMultiArray decoderKeyPaddingMask({1, s}, MLMultiArrayDataType::float16, -10000);
    kvCacheUpdateMask[0] = 1;
    decoderKeyPaddingMask[0] = 0;
    return std::make_shared<DecodingInputs>(withPrompt, inputIds, cacheLength, keyCache, valueCache, alignmentWeights,
                                            kvCacheUpdateMask, decoderKeyPaddingMask);
}

} // namespace hushframe
