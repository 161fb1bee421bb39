#pragma once
// The text-decoder stage as the pipeline sees it: the tokenizer it decodes
// with, whether its model is multilingual, the sizes of its model, its logits
// filters, the preparation of its input tensors and language detection. The
// decoding loop itself belongs to the decoding core.

#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/LogitsFiltering.hpp"
#include "Hushframe/Core/Models/DecodingInputs.hpp"
#include "Hushframe/Core/Models/DecodingResult.hpp"
#include "Hushframe/Core/Models/TranscriptionProgress.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "Hushframe/Core/TokenSampler.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace hushframe {

class TextDecoding {
public:
    virtual ~TextDecoding() = default;

    virtual std::shared_ptr<WhisperTokenizer> tokenizer() const { return tokenizer_; }
    virtual void setTokenizer(std::shared_ptr<WhisperTokenizer> tokenizer) { tokenizer_ = std::move(tokenizer); }

    virtual bool isModelMultilingual() const { return isModelMultilingual_; }
    virtual void setIsModelMultilingual(bool multilingual) { isModelMultilingual_ = multilingual; }

    // Sizes of the loaded decoder model; each is absent while no model is loaded.
    // Vocabulary size V: dimension 2 of the output "logits".
    virtual std::optional<int> logitsSize() const = 0;
    // Cache width E and length S: dimensions 1 and 3 of the input "key_cache".
    virtual std::optional<int> kvCacheEmbedDim() const = 0;
    virtual std::optional<int> kvCacheMaxSequenceLength() const = 0;
    // Encoder frames W of one window: dimension 3 of the input "encoder_output_embeds".
    virtual std::optional<int> windowSize() const = 0;

    virtual const std::vector<std::shared_ptr<LogitsFiltering>>& logitsFilters() const { return logitsFilters_; }
    virtual void setLogitsFilters(std::vector<std::shared_ptr<LogitsFiltering>> filters) {
        logitsFilters_ = std::move(filters);
    }

    // Fresh input tensors for a run, with the prompt as initial prompt:
    // input id and cache length 0 (int32 [1]); key and value caches of zeros
    // (float16 [1, E, 1, S]); alignment weights of zeros (float16 [S, W]); the
    // update mask (int32 [1, S]) 1 at position 0 and 0 elsewhere; the padding
    // mask (float16 [1, S]) 0 at position 0 and -10000 elsewhere. Throws
    // WhisperError (prepareDecoderInputsFailed) when a size is unknown:
    // "Unable to determine kvCacheEmbedDim", "Unable to determine
    // kvCacheMaxSequenceLength" or "Unable to determine encoderOutputDim".
    virtual std::shared_ptr<DecodingInputs> prepareDecoderInputs(const std::vector<int>& withPrompt);

    // Writes the forced start-of-decoding tokens into the inputs' initial
    // prompt (previous-text prompt, start of transcript, language and task for
    // a multilingual model, timestamp or no-timestamps, prefix) and re-arms the
    // masks at position 0. Throws WhisperError: tokenizerUnavailable without a
    // tokenizer, prepareDecoderInputsFailed for inputs of another kind.
    virtual std::shared_ptr<DecodingInputsType> prefillDecoderInputs(std::shared_ptr<DecodingInputsType> decoderInputs,
                                                                     const std::optional<DecodingOptions>& options);

    // Decodes one window's encoder output into tokens, advancing the inputs in
    // place. The base decoder has no decoding loop and throws WhisperError
    // (decodingFailed) "The decoding core is not available".
    virtual DecodingResult decodeText(const AudioEncoderOutputType& from, DecodingInputsType& decoderInputs,
                                      TokenSampling& sampler, const DecodingOptions& options,
                                      const TranscriptionCallback& callback);

    // Whether the model reports alignment weights for word timings.
    virtual bool supportsWordTimestamps() const { return false; }

    // One forward pass over the encoder output restricted to language tokens:
    // the result's `language` is the detected code and `languageProbs` maps
    // codes to log probabilities. Updates the inputs' id and cache length.
    virtual DecodingResult detectLanguage(const AudioEncoderOutputType& from, DecodingInputsType& decoderInputs,
                                          TokenSampling& sampler, const DecodingOptions& options,
                                          float temperature) = 0;

private:
    std::shared_ptr<WhisperTokenizer> tokenizer_;
    bool isModelMultilingual_ = false;
    std::vector<std::shared_ptr<LogitsFiltering>> logitsFilters_;
};

} // namespace hushframe
