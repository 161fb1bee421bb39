#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcKeywordSpotter.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcLogProbMath.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/KeywordSpotting.hpp"

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

namespace {

std::string shapeText(const std::vector<std::int64_t>& shape) {
    std::string text = "[";
    for (std::size_t i = 0; i < shape.size(); ++i) text += (i ? ", " : "") + std::to_string(shape[i]);
    return text + "]";
}

MLMultiArray lengthArray(std::int64_t length) {
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array[0] = static_cast<double>(length);
    return array;
}

// The window as the front end declares it: rank 1 or 2, float32 or float16.
// The array is created zero-filled, so the samples after the valid ones are
// silence, never left-over memory.
MLMultiArray prepareAudioArray(const platform::coreml::MLModel& frontEnd, const float* samples, std::size_t count,
                               std::int64_t windowSamples) {
    const auto& inputs = frontEnd.modelDescription().inputDescriptionsByName;
    std::size_t rank = 1;
    auto dataType = MLMultiArrayDataType::float32;
    if (const auto audio = inputs.find("audio"); audio != inputs.end() && audio->second.multiArrayConstraint) {
        rank = audio->second.multiArrayConstraint->shape.size();
        if (audio->second.multiArrayConstraint->dataType == MLMultiArrayDataType::float16) dataType = MLMultiArrayDataType::float16;
    }
    MLMultiArray array(rank == 2 ? std::vector<std::int64_t>{1, windowSamples} : std::vector<std::int64_t>{windowSamples},
                       dataType);
    array.fill(0);
    for (std::size_t i = 0; i < count; ++i) array[static_cast<std::int64_t>(i)] = samples[i];
    return array;
}

std::optional<std::int64_t> melLengthOf(const MLDictionaryFeatureProvider& output, const MLMultiArray& mel) {
    std::optional<std::int64_t> length;
    if (const auto value = output.featureValue("mel_length"); value && value->multiArrayValue()) {
        length = static_cast<std::int64_t>(value->multiArrayValue()->operator[](0).doubleValue());
    } else if (!mel.shape().empty()) {
        length = mel.shape().back();
    }
    if (mel.shape().size() == 4) length = mel.shape()[2];
    return length;
}

MLDictionaryFeatureProvider makeEncoderInput(const MLMultiArray& mel, std::optional<std::int64_t> melLength) {
    if (!melLength && !mel.shape().empty()) melLength = mel.shape().back();
    if (!melLength || *melLength < 1) throw ASRError::processingFailed("Invalid mel_length for CTC encoder input");
    std::map<std::string, MLFeatureValue> features{{"melspectrogram_features", MLFeatureValue(mel)},
                                                   {"mel_length", MLFeatureValue(lengthArray(*melLength))}};
    try {
        MLMultiArray one({1, 1, 1, 1}, MLMultiArrayDataType::float16);
        one[0] = 1.0;
        features.emplace("input_1", MLFeatureValue(one));
    } catch (const std::exception&) {
        // The encoder runs without it.
    }
    return MLDictionaryFeatureProvider(std::move(features));
}

} // namespace

CtcKeywordSpotter::CtcKeywordSpotter(CtcModels models, std::int64_t blankId)
    : logger_("CtcKeywordSpotter"), models_(std::move(models)), blankId_(blankId) {}

CtcLogProbFrames CtcKeywordSpotter::applyLogSoftmax(const CtcLogProbFrames& rawLogits, std::int64_t blankId,
                                                    float temperature, float blankBias) {
    return CtcLogProbMath::applyLogSoftmax(rawLogits, blankId, temperature, blankBias);
}

CtcLogProbFrames CtcKeywordSpotter::makeLogProbs(const MLMultiArray& output) const {
    const auto& shape = output.shape();
    std::int64_t frames = 0;
    std::int64_t tokens = 0;
    const bool tokensFirst = shape.size() == 4;
    if (shape.size() == 4) {
        frames = shape[3];
        tokens = shape[1];
    } else if (shape.size() == 3) {
        frames = shape[1];
        tokens = shape[2];
    } else {
        throw ASRError::processingFailed("Unexpected CTC output rank: " + shapeText(shape));
    }
    CtcLogProbFrames raw;
    if (frames < 1 || tokens < 1) return raw;
    for (std::int64_t t = 0; t < frames; ++t) {
        std::vector<float> scores(static_cast<std::size_t>(tokens));
        for (std::int64_t v = 0; v < tokens; ++v) {
            scores[static_cast<std::size_t>(v)] =
                tokensFirst ? output[{0, v, 0, t}].floatValue() : output[{0, t, v}].floatValue();
        }
        raw.push_back(std::move(scores));
    }
    return CtcLogProbMath::applyLogSoftmax(raw, blankId_, temperature_, blankBias_);
}

CtcKeywordSpotter::CtcLogProbResult CtcKeywordSpotter::computeWithStagedModels(const float* samples,
                                                                               std::size_t count) const {
    const auto valid = static_cast<std::int64_t>(std::min<std::size_t>(count, maxModelSamples));
    const auto audio = prepareAudioArray(models_.melSpectrogram, samples, static_cast<std::size_t>(valid), maxModelSamples);
    const MLDictionaryFeatureProvider frontEndInput(
        {{"audio", MLFeatureValue(audio)}, {"audio_length", MLFeatureValue(lengthArray(valid))}});
    const auto frontEndOutput = models_.melSpectrogram.prediction(frontEndInput);
    const auto melValue = frontEndOutput.featureValue("melspectrogram_features");
    const auto mel = melValue ? melValue->multiArrayValue() : std::nullopt;
    if (!mel) throw ASRError::processingFailed("Missing melspectrogram_features from CTC MelSpectrogram model");

    const auto encoderOutput = models_.encoder.prediction(makeEncoderInput(*mel, melLengthOf(frontEndOutput, *mel)));
    std::optional<MLMultiArray> head;
    for (const char* name : {"ctc_head_raw_output", "ctc_head_output"}) {
        if (const auto value = encoderOutput.featureValue(name); value && value->multiArrayValue()) {
            head = value->multiArrayValue();
            break;
        }
    }
    if (!head) {
        throw ASRError::processingFailed(
            "Missing CTC head output from encoder model (expected ctc_head_raw_output or ctc_head_output)");
    }
    auto frames = CtcLogProbMath::trimLogProbs(makeLogProbs(*head), valid, maxModelSamples);
    const auto kept = static_cast<std::int64_t>(frames.size());
    const double duration =
        kept > 0 ? static_cast<double>(valid) / static_cast<double>(kept) / static_cast<double>(sampleRate) : 0.0;
    return {std::move(frames), duration, kept, valid};
}

CtcKeywordSpotter::CtcLogProbResult CtcKeywordSpotter::computeLogProbsChunked(const std::vector<float>& audioSamples) const {
    std::vector<CtcLogProbMath::WindowFrames> windows;
    const auto sampleCount = static_cast<std::int64_t>(audioSamples.size());
    for (const auto& span : CtcLogProbMath::windowPlan(sampleCount, maxModelSamples, chunkOverlapSamples)) {
        auto window = computeWithStagedModels(audioSamples.data() + span.start, static_cast<std::size_t>(span.end - span.start));
        windows.push_back({std::move(window.logProbs), window.frameDuration});
    }
    auto joined = CtcLogProbMath::joinWindows(windows, static_cast<double>(chunkOverlapSamples) / sampleRate);
    if (joined.frameDuration <= 0) return {};
    const auto total = static_cast<std::int64_t>(joined.frames.size());
    return {std::move(joined.frames), joined.frameDuration, total, sampleCount};
}

CtcKeywordSpotter::CtcLogProbResult CtcKeywordSpotter::computeLogProbs(const std::vector<float>& audioSamples) const {
    if (static_cast<std::int64_t>(audioSamples.size()) > maxModelSamples) return computeLogProbsChunked(audioSamples);
    return computeWithStagedModels(audioSamples.data(), audioSamples.size());
}

SpotKeywordsResult CtcKeywordSpotter::spotKeywordsWithLogProbs(const std::vector<float>& audioSamples,
                                                               const CustomVocabularyContext& customVocabulary,
                                                               std::optional<float> minScore) const {
    if (audioSamples.empty()) return {};
    auto computed = computeLogProbs(audioSamples);
    if (computed.logProbs.empty()) return {};
    if (customVocabulary.terms.empty()) {
        return {{}, std::move(computed.logProbs), computed.frameDuration, computed.totalFrames};
    }
    auto result = KeywordSpotting::spotKeywordsFromLogProbs(computed.logProbs, computed.frameDuration,
                                                            customVocabulary, minScore, blankId_);
    for (auto& detection : result.detections) detection.totalFrames = computed.totalFrames;
    result.totalFrames = computed.totalFrames;
    return result;
}

SpotKeywordsResult CtcKeywordSpotter::spotKeywordsFromLogProbs(const CtcLogProbFrames& logProbs, double frameDuration,
                                                               const CustomVocabularyContext& customVocabulary,
                                                               std::optional<float> minScore) const {
    return KeywordSpotting::spotKeywordsFromLogProbs(logProbs, frameDuration, customVocabulary, minScore, blankId_);
}

ConstrainedSpot CtcKeywordSpotter::ctcWordSpotConstrained(const CtcLogProbFrames& logProbs,
                                                          const std::vector<std::int64_t>& keywordTokens,
                                                          std::int64_t searchStartFrame,
                                                          std::int64_t searchEndFrame) const {
    return KeywordSpotting::ctcWordSpotConstrained(logProbs, keywordTokens, searchStartFrame, searchEndFrame, blankId_);
}

} // namespace razeziruzer
