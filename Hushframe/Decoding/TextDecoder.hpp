#pragma once
// The text decoder around one loaded decoder model: it feeds one token
// position per forward pass, keeps the key/value caches and masks as input
// arrays of its own and copies each pass's new cache column back into them,
// decodes a window under the logits filters and a token sampler, and detects
// the spoken language.

#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/TextDecoding.hpp"
#include "Hushframe/Decoding/LogitsFilters.hpp"
#include "PelluxCore/EarlyStopActor.hpp"

#include <cstdint>
#include <memory>
#include <optional>

namespace hushframe {

// The seven arrays of one forward pass.
struct TextDecoderMLMultiArrayInputType {
    platform::coreml::MLMultiArray inputIds;
    platform::coreml::MLMultiArray cacheLength;
    platform::coreml::MLMultiArray keyCache;
    platform::coreml::MLMultiArray valueCache;
    platform::coreml::MLMultiArray kvCacheUpdateMask;
    platform::coreml::MLMultiArray encoderOutputEmbeds;
    platform::coreml::MLMultiArray decoderKeyPaddingMask;
};

// What one pass returns: the next position's scores and the new cache column
// (with the alignment row when the model has one). Both absent without a model.
struct TextDecoderMLMultiArrayOutputType {
    std::optional<platform::coreml::MLMultiArray> logits;
    std::optional<DecodingCache> cache;
};

class TextDecoder : public TextDecoding, public WhisperMLModel {
public:
    std::optional<int> logitsSize() const override;
    std::optional<int> kvCacheEmbedDim() const override;
    std::optional<int> kvCacheMaxSequenceLength() const override;
    std::optional<int> windowSize() const override;
    std::optional<int> embedSize() const;
    bool supportsWordTimestamps() const override;

    // Also drops the cached language filter.
    void unloadModel() override;

    // One forward pass. Without a model the output holds neither logits nor
    // cache. Throws the model's errors, and WhisperError (decodingLogitsFailed)
    // "Invalid model output" when the prediction lacks logits or cache updates.
    TextDecoderMLMultiArrayOutputType predictLogits(const TextDecoderMLMultiArrayInputType& input);

    DecodingResult decodeText(const AudioEncoderOutputType& from, DecodingInputsType& decoderInputs,
                              TokenSampling& sampler, const DecodingOptions& options,
                              const TranscriptionCallback& callback) override;

    DecodingResult detectLanguage(const AudioEncoderOutputType& from, DecodingInputsType& decoderInputs,
                                  TokenSampling& sampler, const DecodingOptions& options, float temperature) override;

    // The configured filters, then blank suppression, token suppression and
    // the timestamp rules as the options ask.
    std::vector<std::shared_ptr<LogitsFiltering>> createLogitsFilters(const DecodingOptions& options,
                                                                      std::int64_t prefilledIndex,
                                                                      std::int64_t initialPromptIndex,
                                                                      const WhisperTokenizer& tokenizer) const;

    // Copies the slices' new positions into the caches at insertAtIndex
    // (dimension 3), element for element without conversion.
    static void updateKVCache(const platform::coreml::MLMultiArray& keyTensor,
                              const platform::coreml::MLMultiArray& keySlice,
                              const platform::coreml::MLMultiArray& valueTensor,
                              const platform::coreml::MLMultiArray& valueSlice, std::int64_t insertAtIndex);
    // Writes the alignment row of the pass at insertAtIndex into row insertAtIndex + 1.
    static void updateAlignmentWeights(const platform::coreml::MLMultiArray& alignmentTensor,
                                       const platform::coreml::MLMultiArray& alignmentSlice,
                                       std::int64_t insertAtIndex);

private:
    pelluxcore::EarlyStopActor earlyStopActor_;
    std::shared_ptr<LanguageLogitsFilter> languageLogitsFilter_;
};

} // namespace hushframe
