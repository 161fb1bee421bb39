#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV2.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ModelInputLength.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"
#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"
#include "RazeziRuzer/Shared/MLArrayCache.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArrayDataType;

constexpr std::int64_t windowSamples = ASRConstants::maxModelSamples;
constexpr std::int64_t frameSamples = ASRConstants::samplesPerEncoderFrame;

// The decoding configuration of the installed version: its blank id and encoder width.
ASRConfig effectiveConfig(const ASRConfig& config, AsrModelVersion version) {
    auto tdt = config.tdtConfig();
    tdt.blankId = blankId(version);
    return ASRConfig(config.sampleRate(), tdt, encoderHiddenSize(version), config.parallelChunkConcurrency(),
                     config.streamingEnabled(), config.streamingThreshold(), config.melChunkContext(),
                     config.dualDecodeArbitration());
}

std::string sortedNames(const platform::coreml::MLFeatureProvider& provider) {
    std::string text;
    for (const auto& name : provider.featureNames()) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Gives the window's input array back to the shared cache on every way out.
class ReturnToCache {
public:
    explicit ReturnToCache(platform::coreml::MLMultiArray array) : array_(std::move(array)) {}
    ~ReturnToCache() { sharedMLArrayCache().returnArray(array_); }
    ReturnToCache(const ReturnToCache&) = delete;
    ReturnToCache& operator=(const ReturnToCache&) = delete;

private:
    platform::coreml::MLMultiArray array_;
};

// Samples a pass must feed: the valid ones and every non-zero sample after
// them, so that what is left off is only the zeros the window was padded with.
std::int64_t samplesNeeded(std::span<const float> samples, std::optional<int> originalLength) {
    const auto count = static_cast<std::int64_t>(samples.size());
    auto lastSignal = count;
    while (lastSignal > 0 && samples[static_cast<std::size_t>(lastSignal - 1)] == 0.0f) --lastSignal;
    const auto valid = originalLength ? std::clamp<std::int64_t>(*originalLength, 0, count) : count;
    return std::max(valid, lastSignal);
}

// "audio_signal" and "audio_length" in an array of its own: a shortened
// window takes no array from the shared cache, whose keys would otherwise
// multiply with every length a flexible model admits.
platform::coreml::MLDictionaryFeatureProvider uncachedPreprocessorInput(std::span<const float> samples,
                                                                        std::optional<int> actualLength) {
    const auto count = static_cast<std::int64_t>(samples.size());
    platform::coreml::MLMultiArray audio({1, count}, MLMultiArrayDataType::float32);
    if (count > 0) std::memcpy(audio.dataPointer<float>(), samples.data(), samples.size() * sizeof(float));
    const auto length = AsrManager::createScalarArray(actualLength.value_or(static_cast<int>(count)), {1},
                                                      MLMultiArrayDataType::int32);
    return platform::coreml::MLDictionaryFeatureProvider(
        {{"audio_signal", MLFeatureValue(audio)}, {"audio_length", MLFeatureValue(length)}});
}

// What of the window the preprocessor is fed: all of it, unless its
// "audio_signal" admits a shorter length and the encoder (when the set has
// one) takes a flexible "mel", since a shorter window gives a shorter mel.
std::int64_t preprocessorFeed(const platform::coreml::MLModel& preprocessor,
                              const std::optional<platform::coreml::MLModel>& encoder, std::span<const float> samples,
                              std::optional<int> originalLength) {
    const auto full = static_cast<std::int64_t>(samples.size());
    const auto& inputs = preprocessor.modelDescription().inputDescriptionsByName;
    const auto audio = inputs.find("audio_signal");
    if (audio == inputs.end() || !modelinputlength::isFlexible(audio->second)) return full;
    if (encoder) {
        const auto& encoderInputs = encoder->modelDescription().inputDescriptionsByName;
        const auto mel = encoderInputs.find("mel");
        if (mel == encoderInputs.end() || !modelinputlength::isFlexible(mel->second)) return full;
    }
    return modelinputlength::shortestAdmitted(audio->second, {1, full}, samplesNeeded(samples, originalLength), full)
        .value_or(full);
}

// The encoder input with "mel" cut to the shortest length the encoder admits
// that still holds every valid mel frame ("mel_length"); the frames left off
// are padding, which the encoder masks by that length. Returns the input as
// it is when the encoder declares no flexible "mel" or no shorter length
// fits, and nothing when the mel has a length the encoder cannot take while
// a flexible declaration could have taken a longer one.
std::optional<platform::coreml::MLDictionaryFeatureProvider>
fitMelToEncoder(const platform::coreml::MLModel& encoder, platform::coreml::MLDictionaryFeatureProvider input) {
    const auto& inputs = encoder.modelDescription().inputDescriptionsByName;
    const auto declared = inputs.find("mel");
    const auto melValue = input.featureValue("mel");
    const auto lengthValue = input.featureValue("mel_length");
    const auto mel = melValue ? melValue->multiArrayValue() : std::nullopt;
    const auto melLength = lengthValue ? lengthValue->multiArrayValue() : std::nullopt;
    if (declared == inputs.end() || !modelinputlength::isFlexible(declared->second) || !mel || mel->shape().empty() ||
        !melLength || melLength->count() < 1) {
        return input;
    }
    const auto& shape = mel->shape();
    const auto frames = shape.back();
    const auto valid = std::clamp<std::int64_t>((*melLength)[0].int32Value(), 1, std::max<std::int64_t>(frames, 1));
    const auto cut = modelinputlength::shortestAdmitted(declared->second, shape, valid, frames);
    if (!cut) {
        if (declared->second.multiArrayConstraint->admits(shape)) return input;
        return std::nullopt;
    }
    if (*cut == frames) return input;
    auto cutShape = shape;
    cutShape.back() = *cut;
    // A view over the same elements; it keeps the preprocessor's array alive.
    const platform::coreml::MLMultiArray view(mel->dataPointer(), cutShape, mel->dataType(), mel->strides(),
                                              [keep = *mel](void*) {});
    std::map<std::string, MLFeatureValue> features;
    for (const auto& name : input.featureNames()) features.emplace(name, *input.featureValue(name));
    features.insert_or_assign("mel", MLFeatureValue(view));
    return platform::coreml::MLDictionaryFeatureProvider(std::move(features));
}

} // namespace

ASRResult AsrManager::transcribeWithState(std::span<const float> samples, TdtDecoderState& decoderState,
                                          std::optional<Language> language, std::stop_token stop) {
    // One snapshot for the whole pass: models installed or dropped meanwhile
    // apply to later transcriptions, never halfway through this one.
    const auto installed = snapshot();
    if (!installed.isAvailable()) throw ASRError::notInitialized();
    const auto count = static_cast<std::int64_t>(samples.size());
    if (count < ASRConstants::minimumRequiredSamples(static_cast<int>(config_.sampleRate()))) {
        throw ASRError::invalidAudioData();
    }
    const auto startTime = std::chrono::system_clock::now();
    const auto started = std::chrono::steady_clock::now();
    if (count > windowSamples) {
        auto source = std::make_shared<const ArrayAudioSampleSource>(std::vector<float>(samples.begin(), samples.end()));
        return transcribeLongAudio(std::move(source), language, startTime, std::move(stop));
    }
    auto aligned = frameAlignedAudio(samples, true);
    aligned.samples.resize(static_cast<std::size_t>(windowSamples), 0.0f);
    const auto pass = runPass(installed, aligned.samples, aligned.frameAlignedLength, std::nullopt, decoderState, 0,
                              true, 0, language, std::nullopt, std::nullopt, stop);
    const double processingTime = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const auto& hypothesis = pass.hypothesis;
    ASRResult result;
    result.text = TokenPostProcessing::tokensToText(hypothesis.ySequence, *installed.vocabulary);
    result.tokenTimings = TokenPostProcessing::createTokenTimings(hypothesis.ySequence, hypothesis.timestamps,
                                                                  hypothesis.tokenConfidences,
                                                                  hypothesis.tokenDurations, *installed.vocabulary);
    result.confidence = calculateConfidence(static_cast<int>(hypothesis.ySequence.size()),
                                            TokenPostProcessing::isBlankText(result.text),
                                            hypothesis.tokenConfidences);
    result.duration = static_cast<double>(count) / static_cast<double>(config_.sampleRate());
    result.processingTime = processingTime;
    return result;
}

AsrManager::AlignedAudio AsrManager::frameAlignedAudio(std::span<const float> samples, bool allowAlignment) {
    const auto count = static_cast<std::int64_t>(samples.size());
    const auto aligned = (count + frameSamples - 1) / frameSamples * frameSamples;
    AlignedAudio result{std::vector<float>(samples.begin(), samples.end()), static_cast<int>(count)};
    if (allowAlignment && count < aligned && aligned <= windowSamples) {
        result.samples.resize(static_cast<std::size_t>(aligned), 0.0f);
        result.frameAlignedLength = static_cast<int>(aligned);
    }
    return result;
}

AsrManager::PassResult AsrManager::executeMLInferenceWithTimings(
    std::span<const float> samples, std::optional<int> originalLength, std::optional<int> actualAudioFrames,
    TdtDecoderState& decoderState, int contextFrameAdjustment, bool isLastChunk, int globalFrameOffset,
    std::optional<Language> language, std::optional<int> emitTokensAfterGlobalFrame,
    std::optional<int> initialTimeIndexOverride, std::stop_token stop) {
    return runPass(snapshot(), samples, originalLength, actualAudioFrames, decoderState, contextFrameAdjustment,
                   isLastChunk, globalFrameOffset, language, emitTokensAfterGlobalFrame, initialTimeIndexOverride,
                   stop);
}

AsrManager::PassResult AsrManager::runPass(const Installed& installed, std::span<const float> samples,
                                           std::optional<int> originalLength, std::optional<int> actualAudioFrames,
                                           TdtDecoderState& decoderState, int contextFrameAdjustment,
                                           bool isLastChunk, int globalFrameOffset, std::optional<Language> language,
                                           std::optional<int> emitTokensAfterGlobalFrame,
                                           std::optional<int> initialTimeIndexOverride, const std::stop_token& stop) {
    // Models that declare flexible lengths are fed only what the audio needs
    // (rounded up to a length they admit); fixed ones get the whole window.
    const auto full = static_cast<std::int64_t>(samples.size());
    auto fed = installed.preprocessor ? preprocessorFeed(*installed.preprocessor, installed.encoder, samples, originalLength)
                                      : full;
    for (;;) {
        const bool shortened = fed < full;
        const auto input = shortened ? uncachedPreprocessorInput(samples.first(static_cast<std::size_t>(fed)), originalLength)
                                     : preparePreprocessorInput(samples, originalLength);
        std::optional<ReturnToCache> giveBack;
        if (!shortened) giveBack.emplace(*input.featureValue("audio_signal")->multiArrayValue());
        if (!installed.preprocessor) throw ASRError::notInitialized();
        const auto& options = *installed.predictionOptions;
        platform::checkCancellation(stop);
        const auto preprocessorOutput = installed.preprocessor->prediction(input, options);
        std::optional<MLDictionaryFeatureProvider> encoderOutput;
        if (installed.encoder) {
            auto encoderInput = fitMelToEncoder(*installed.encoder,
                                                prepareEncoderInput(*installed.encoder, preprocessorOutput, input));
            if (!encoderInput) {
                // The shorter window gave a mel length the encoder does not
                // list; the whole window's mel can be cut to one it does.
                logger_.debug("Encoder takes no mel of the shortened window's length; feeding the whole window");
                fed = full;
                continue;
            }
            platform::checkCancellation(stop);
            encoderOutput = installed.encoder->prediction(*encoderInput, options);
        }
        const auto& output = encoderOutput ? *encoderOutput : preprocessorOutput;
        const auto encoder = extractFeatureValue(output, "encoder", "Invalid encoder output");
        const auto encoderLength = extractFeatureValue(output, "encoder_length", "Invalid encoder output length");
        const int encoderSequenceLength = encoderLength[0].int32Value();
        const auto validSamples = originalLength ? *originalLength : full;
        const int frames = actualAudioFrames
                               ? *actualAudioFrames
                               : static_cast<int>(std::ceil(static_cast<double>(validSamples) / frameSamples));
        auto hypothesis = decode(installed, encoder, encoderSequenceLength, frames, decoderState,
                                 contextFrameAdjustment, isLastChunk, globalFrameOffset, language,
                                 emitTokensAfterGlobalFrame, initialTimeIndexOverride, stop);
        return {std::move(hypothesis), encoderSequenceLength};
    }
}

platform::coreml::MLDictionaryFeatureProvider AsrManager::preparePreprocessorInput(std::span<const float> samples,
                                                                                   std::optional<int> actualLength) {
    const auto count = static_cast<std::int64_t>(samples.size());
    auto audio = sharedMLArrayCache().getArray({1, count}, MLMultiArrayDataType::float32);
    try {
        if (count > 0) std::memcpy(audio.dataPointer<float>(), samples.data(), samples.size() * sizeof(float));
        const auto length = createScalarArray(actualLength.value_or(static_cast<int>(count)), {1},
                                              MLMultiArrayDataType::int32);
        return MLDictionaryFeatureProvider({{"audio_signal", MLFeatureValue(audio)}, {"audio_length", MLFeatureValue(length)}});
    } catch (...) {
        sharedMLArrayCache().returnArray(audio);
        throw;
    }
}

platform::coreml::MLDictionaryFeatureProvider AsrManager::prepareEncoderInput(
    const MLModel& encoder, const MLFeatureProvider& preprocessorOutput, const MLFeatureProvider& originalInput) const {
    const auto& declared = encoder.modelDescription().inputDescriptionsByName;
    std::map<std::string, MLFeatureValue> features;
    bool complete = true;
    for (const auto& [name, description] : declared) {
        if (auto value = preprocessorOutput.featureValue(name)) {
            features.emplace(name, *value);
            continue;
        }
        complete = false;
        if (auto fallback = originalInput.featureValue(name)) {
            features.emplace(name, *fallback);
            continue;
        }
        throw ASRError::processingFailed("Missing required encoder input: " + name + ". Available inputs: " +
                                         sortedNames(preprocessorOutput) + ", fallback inputs: " +
                                         sortedNames(originalInput));
    }
    if (complete) {
        std::map<std::string, MLFeatureValue> all;
        for (const auto& name : preprocessorOutput.featureNames()) all.emplace(name, *preprocessorOutput.featureValue(name));
        return MLDictionaryFeatureProvider(std::move(all));
    }
    return MLDictionaryFeatureProvider(std::move(features));
}

TdtHypothesis AsrManager::tdtDecodeWithTimings(const MLMultiArray& encoderOutput, int encoderSequenceLength,
                                               int actualAudioFrames, std::span<const float> /*originalAudioSamples*/,
                                               TdtDecoderState& decoderState, int contextFrameAdjustment,
                                               bool isLastChunk, int globalFrameOffset,
                                               std::optional<Language> language,
                                               std::optional<int> emitTokensAfterGlobalFrame,
                                               std::optional<int> initialTimeIndexOverride, std::stop_token stop) {
    return decode(snapshot(), encoderOutput, encoderSequenceLength, actualAudioFrames, decoderState,
                  contextFrameAdjustment, isLastChunk, globalFrameOffset, language, emitTokensAfterGlobalFrame,
                  initialTimeIndexOverride, stop);
}

TdtHypothesis AsrManager::decode(const Installed& installed, const MLMultiArray& encoderOutput,
                                 int encoderSequenceLength, int actualAudioFrames, TdtDecoderState& decoderState,
                                 int contextFrameAdjustment, bool isLastChunk, int globalFrameOffset,
                                 std::optional<Language> language, std::optional<int> emitTokensAfterGlobalFrame,
                                 std::optional<int> initialTimeIndexOverride, const std::stop_token& stop) const {
    if (!installed.models || !installed.decoder || !installed.joint) throw ASRError::notInitialized();
    const auto version = installed.models->version;
    const auto config = effectiveConfig(config_, version);
    switch (version) {
    case AsrModelVersion::v3: {
        TdtDecoderV3 decoder(config);
        return decoder.decodeWithTimings(encoderOutput, encoderSequenceLength, actualAudioFrames, *installed.decoder,
                                         *installed.joint, decoderState, contextFrameAdjustment, isLastChunk,
                                         globalFrameOffset, language, installed.vocabulary.get(),
                                         emitTokensAfterGlobalFrame, initialTimeIndexOverride, stop);
    }
    case AsrModelVersion::v2:
    case AsrModelVersion::tdtCtc110m: {
        if (language) {
            logger_.debug("Ignoring `language` hint: script filtering requires the v3 joint decoder; loaded model is " +
                          std::string(caseName(version)) + ".");
        }
        const TdtDecoderV2 decoder(config);
        return decoder.decodeWithTimings(encoderOutput, encoderSequenceLength, actualAudioFrames, *installed.decoder,
                                         *installed.joint, decoderState, contextFrameAdjustment, isLastChunk,
                                         globalFrameOffset, stop);
    }
    case AsrModelVersion::tdtJa: {
        if (language) {
            logger_.debug("Ignoring `language` hint for tdtJa: TokenLanguageFilter currently supports Latin/Cyrillic "
                          "only; Japanese output is always kept.");
        }
        TdtDecoderV3 decoder(config);
        return decoder.decodeWithTimings(encoderOutput, encoderSequenceLength, actualAudioFrames, *installed.decoder,
                                         *installed.joint, decoderState, contextFrameAdjustment, isLastChunk,
                                         globalFrameOffset, std::nullopt, nullptr, std::nullopt, std::nullopt, stop);
    }
    }
    throw ASRError::notInitialized();
}

platform::coreml::MLMultiArray AsrManager::createScalarArray(std::int64_t value, const std::vector<std::int64_t>& shape,
                                                             MLMultiArrayDataType dataType) {
    MLMultiArray array(shape, dataType);
    array[0] = static_cast<double>(value);
    return array;
}

platform::coreml::MLMultiArray AsrManager::extractFeatureValue(const MLFeatureProvider& from, const std::string& key,
                                                               const std::string& errorMessage) {
    const auto value = from.featureValue(key);
    auto array = value ? value->multiArrayValue() : std::nullopt;
    if (!array) throw ASRError::processingFailed(errorMessage);
    return *array;
}

std::map<std::string, platform::coreml::MLMultiArray> AsrManager::extractFeatureValues(
    const MLFeatureProvider& from, const std::vector<FeatureKey>& keys) {
    std::map<std::string, MLMultiArray> arrays;
    for (const auto& [key, errorSuffix] : keys) {
        arrays.insert_or_assign(key, extractFeatureValue(from, key, "Invalid " + errorSuffix));
    }
    return arrays;
}

std::string AsrManager::convertTokensToText(const std::vector<int>& tokenIds) const {
    return TokenPostProcessing::tokensToText(tokenIds, *snapshot().vocabulary);
}

float AsrManager::calculateConfidence(int tokenCount, bool isEmpty, const std::vector<float>& tokenConfidences) const {
    return TokenPostProcessing::calculateConfidence(tokenCount, isEmpty, tokenConfidences, logger_);
}

std::vector<TokenTiming> AsrManager::createTokenTimings(const std::vector<int>& from, const std::vector<int>& timestamps,
                                                        const std::vector<float>& confidences,
                                                        const std::vector<int>& tokenDurations) const {
    return TokenPostProcessing::createTokenTimings(from, timestamps, confidences, tokenDurations,
                                                   *snapshot().vocabulary);
}

TokenPostProcessing::DeduplicationResult AsrManager::removeDuplicateTokenSequence(const std::vector<int>& previous,
                                                                                 const std::vector<int>& current,
                                                                                 int maxOverlap) const {
    return TokenPostProcessing::removeDuplicateTokenSequence(previous, current, maxOverlap,
                                                             config_.tdtConfig().boundarySearchFrames, logger_);
}

} // namespace razeziruzer
