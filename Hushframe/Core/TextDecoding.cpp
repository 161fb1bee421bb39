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

namespace {

// The last `keep` tokens of `tokens`, without the special ones.
std::vector<int> lastTextTokens(const std::vector<int>& tokens, std::size_t keep, int specialTokenBegin) {
    const std::size_t first = tokens.size() > keep ? tokens.size() - keep : 0;
    std::vector<int> kept;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        if (tokens[i] < specialTokenBegin) kept.push_back(tokens[i]);
    }
    return kept;
}

int tokenOr(const WhisperTokenizer& tokenizer, const std::string& text, int fallback) {
    return tokenizer.convertTokenToId(text).value_or(fallback);
}

} // namespace

std::shared_ptr<DecodingInputsType> TextDecoding::prefillDecoderInputs(std::shared_ptr<DecodingInputsType> decoderInputs,
                                                                       const std::optional<DecodingOptions>& options) {
    const auto currentTokenizer = tokenizer();
    if (!currentTokenizer) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    auto* inputs = dynamic_cast<DecodingInputs*>(decoderInputs.get());
    if (!inputs) throw WhisperError::prepareDecoderInputsFailed("Unable to cast decoderInputs to DecodingInputs");

    const SpecialTokens& special = currentTokenizer->specialTokens();
    std::vector<int> prefill{special.startOfTranscriptToken};
    if (options) {
        if (isModelMultilingual()) {
            const std::string language = options->language.value_or("en");
            prefill.push_back(tokenOr(*currentTokenizer, "<|" + language + "|>", special.englishToken));
            const std::string task = options->task == DecodingTask::translate ? "translate" : "transcribe";
            prefill.push_back(tokenOr(*currentTokenizer, "<|" + task + "|>", special.transcribeToken));
        }
        prefill.push_back(options->withoutTimestamps ? special.noTimestampsToken : special.timeTokenBegin);
        if (options->promptTokens) {
            std::vector<int> withPrevious{special.startOfPreviousToken};
            const auto previous = lastTextTokens(*options->promptTokens, 111, special.specialTokenBegin);
            withPrevious.insert(withPrevious.end(), previous.begin(), previous.end());
            withPrevious.insert(withPrevious.end(), prefill.begin(), prefill.end());
            prefill = std::move(withPrevious);
        }
        if (options->prefixTokens) {
            const auto prefix = lastTextTokens(*options->prefixTokens, 112, special.specialTokenBegin);
            prefill.insert(prefill.end(), prefix.begin(), prefix.end());
        }
    }
    inputs->setInitialPrompt(std::move(prefill));
    inputs->kvCacheUpdateMask()[0] = 1;
    inputs->decoderKeyPaddingMask()[0] = 0;
    return decoderInputs;
}

DecodingResult TextDecoding::decodeText(const AudioEncoderOutputType&, DecodingInputsType&, TokenSampling&,
                                        const DecodingOptions&, const TranscriptionCallback&) {
    throw WhisperError::decodingFailed("The decoding core is not available");
}

} // namespace hushframe
