#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/TextOperations.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/DecodingClock.hpp"
#include "Hushframe/Decoding/Float32Logits.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "PelluxCore/Logging.hpp"

namespace hushframe {

using pelluxcore::Logging;

DecodingResult TextDecoder::detectLanguage(const AudioEncoderOutputType& from, DecodingInputsType& decoderInputs,
                                           TokenSampling& sampler, const DecodingOptions&, float) {
    const auto currentTokenizer = tokenizer();
    if (!currentTokenizer) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    const auto vocabularySize = logitsSize();
    if (!vocabularySize) throw WhisperError::modelsUnavailable("Failed to read logits size from model");
    const int startOfTranscript = currentTokenizer->specialTokens().startOfTranscriptToken;
    const std::vector<int> tokens{startOfTranscript};
    const std::vector<float> logProbs{0.0F};
    if (!languageLogitsFilter_) {
        languageLogitsFilter_ =
            std::make_shared<LanguageLogitsFilter>(currentTokenizer->allLanguageTokens(), *vocabularySize, 0);
    }
    decoderInputs.inputIds()[0] = startOfTranscript;
    decoderInputs.cacheLength()[0] = 0;

    const Stopwatch predictionWatch;
    Logging::debug("Detecting language...");
    auto* inputs = dynamic_cast<DecodingInputs*>(&decoderInputs);
    if (!inputs) throw WhisperError::prepareDecoderInputsFailed("DecodingInputsType must be DecodingInputs");
    const auto output = predictLogits({inputs->inputIds(), inputs->cacheLength(), inputs->keyCache(),
                                       inputs->valueCache(), inputs->kvCacheUpdateMask(), from,
                                       inputs->decoderKeyPaddingMask()});
    if (!output.logits) {
        Logging::error("Unable to decode logits");
        throw WhisperError::decodingLogitsFailed("Unable to decode logits from the model output");
    }
    const double predictionTime = predictionWatch.elapsed();
    const auto logits = languageLogitsFilter_->filterLogits(float32Logits(*output.logits), tokens);

    const Stopwatch samplingWatch;
    const SamplingResult sampled = sampler.update(tokens, logits, logProbs);
    const double samplingTime = samplingWatch.elapsed();

    const auto codeOf = [&](int token) {
        return trimmingSpecialTokenCharacters(currentTokenizer->decode(std::span(&token, 1)));
    };
    DecodingResult result;
    for (std::size_t k = 0; k < sampled.tokens.size(); ++k) {
        if (currentTokenizer->allLanguageTokens().contains(sampled.tokens[k])) {
            result.languageProbs[codeOf(sampled.tokens[k])] = sampled.logProbs[k];
        }
    }
    const std::string code = codeOf(sampled.tokens.back());
    if (Constants::languageCodes().contains(code)) {
        Logging::debug("Detected language: " + code);
        result.language = code;
    } else {
        Logging::error("Detected language " + code + " is not supported, defaulting to en");
        result.language = "en";
    }
    TranscriptionTimings timings;
    timings.decodingPredictions = predictionTime;
    timings.decodingSampling = samplingTime;
    result.timings = timings;
    return result;
}

} // namespace hushframe
