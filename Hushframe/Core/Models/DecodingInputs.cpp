#include "Hushframe/Core/Models/DecodingInputs.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace hushframe {

using platform::coreml::MLMultiArray;

DecodingInputs::DecodingInputs(std::vector<int> initialPrompt, MLMultiArray inputIds, MLMultiArray cacheLength,
                               MLMultiArray keyCache, MLMultiArray valueCache, MLMultiArray alignmentWeights,
                               MLMultiArray kvCacheUpdateMask, MLMultiArray decoderKeyPaddingMask)
    : initialPrompt_(std::move(initialPrompt)),
      inputIds_(std::move(inputIds)),
      cacheLength_(std::move(cacheLength)),
      keyCache_(std::move(keyCache)),
      valueCache_(std::move(valueCache)),
      alignmentWeights_(std::move(alignmentWeights)),
      kvCacheUpdateMask_(std::move(kvCacheUpdateMask)),
      decoderKeyPaddingMask_(std::move(decoderKeyPaddingMask)) {}

void DecodingInputs::reset(int maxTokenContext) {
    // Writing past the masks would corrupt memory; refuse before touching anything.
    const std::int64_t maskLength = std::min(kvCacheUpdateMask_.count(), decoderKeyPaddingMask_.count());
    if (maxTokenContext < 1 || maxTokenContext > maskLength) {
        throw std::out_of_range("maxTokenContext " + std::to_string(maxTokenContext) + " is outside 1..." +
                                std::to_string(maskLength));
    }
    cacheLength_[0] = 0;
    decoderKeyPaddingMask_[0] = 0;
    kvCacheUpdateMask_[0] = 1;
    for (std::int64_t i = 1; i < maxTokenContext; ++i) {
        decoderKeyPaddingMask_[i] = -10000;
        kvCacheUpdateMask_[i] = 0;
    }
}

} // namespace hushframe
