#pragma once
// The text decoder's input tensors for one window: current token, cache
// length, key and value caches, alignment weights and the two masks. Tensors
// are shared handles: every holder sees writes into them.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <vector>

namespace hushframe {

// How the decoding loop holds its inputs; the object behind it is a DecodingInputs.
class DecodingInputsType {
public:
    virtual ~DecodingInputsType() = default;

    virtual const std::vector<int>& initialPrompt() const = 0;
    virtual void setInitialPrompt(std::vector<int> initialPrompt) = 0;
    virtual const platform::coreml::MLMultiArray& inputIds() const = 0;
    virtual void setInputIds(platform::coreml::MLMultiArray inputIds) = 0;
    virtual const platform::coreml::MLMultiArray& cacheLength() const = 0;
    virtual void setCacheLength(platform::coreml::MLMultiArray cacheLength) = 0;
    virtual void reset(int maxTokenContext) = 0;
};

class DecodingInputs : public DecodingInputsType {
public:
    DecodingInputs(std::vector<int> initialPrompt, platform::coreml::MLMultiArray inputIds,
                   platform::coreml::MLMultiArray cacheLength, platform::coreml::MLMultiArray keyCache,
                   platform::coreml::MLMultiArray valueCache, platform::coreml::MLMultiArray alignmentWeights,
                   platform::coreml::MLMultiArray kvCacheUpdateMask,
                   platform::coreml::MLMultiArray decoderKeyPaddingMask);

    const std::vector<int>& initialPrompt() const override { return initialPrompt_; }
    void setInitialPrompt(std::vector<int> initialPrompt) override { initialPrompt_ = std::move(initialPrompt); }
    const platform::coreml::MLMultiArray& inputIds() const override { return inputIds_; }
    void setInputIds(platform::coreml::MLMultiArray inputIds) override { inputIds_ = std::move(inputIds); }
    const platform::coreml::MLMultiArray& cacheLength() const override { return cacheLength_; }
    void setCacheLength(platform::coreml::MLMultiArray cacheLength) override { cacheLength_ = std::move(cacheLength); }

    virtual const platform::coreml::MLMultiArray& keyCache() const { return keyCache_; }
    virtual void setKeyCache(platform::coreml::MLMultiArray keyCache) { keyCache_ = std::move(keyCache); }
    virtual const platform::coreml::MLMultiArray& valueCache() const { return valueCache_; }
    virtual void setValueCache(platform::coreml::MLMultiArray valueCache) { valueCache_ = std::move(valueCache); }
    virtual const platform::coreml::MLMultiArray& alignmentWeights() const { return alignmentWeights_; }
    virtual void setAlignmentWeights(platform::coreml::MLMultiArray weights) { alignmentWeights_ = std::move(weights); }
    virtual const platform::coreml::MLMultiArray& kvCacheUpdateMask() const { return kvCacheUpdateMask_; }
    virtual void setKvCacheUpdateMask(platform::coreml::MLMultiArray mask) { kvCacheUpdateMask_ = std::move(mask); }
    virtual const platform::coreml::MLMultiArray& decoderKeyPaddingMask() const { return decoderKeyPaddingMask_; }
    virtual void setDecoderKeyPaddingMask(platform::coreml::MLMultiArray mask) {
        decoderKeyPaddingMask_ = std::move(mask);
    }

    // Prepares a new window or attempt in place: cache length 0, and the masks
    // open at position 0 and closed at positions 1 to maxTokenContext - 1. The
    // caches, alignment weights, input id and prompt stay as they are. Throws
    // std::out_of_range unless 1 <= maxTokenContext <= the masks' length.
    void reset(int maxTokenContext) override;

private:
    std::vector<int> initialPrompt_;
    platform::coreml::MLMultiArray inputIds_;
    platform::coreml::MLMultiArray cacheLength_;
    platform::coreml::MLMultiArray keyCache_;
    platform::coreml::MLMultiArray valueCache_;
    platform::coreml::MLMultiArray alignmentWeights_;
    platform::coreml::MLMultiArray kvCacheUpdateMask_;
    platform::coreml::MLMultiArray decoderKeyPaddingMask_;
};

} // namespace hushframe
