// The greedy transducer decode of one chunk: the frame loop over the four
// model arrangements (the fused decoder-joint over the encoder projection,
// the fused arg-max model, the fused decoder-joint, the separate decoder and
// joint, chosen afresh before every step in that order), and the speculative
// decode that scores a window of frames with one batched joint run and drains
// the first frame with a token through the per-step arrangements. At most ten
// tokens are emitted per frame on every path.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronMultilingualAsrManager.hpp"

#include "Platform/Accel/Float16.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronModelFeatures.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStepArrays.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using nemotronfeatures::output;
namespace arrays = multilingualarrays;

namespace {

constexpr int maxSymbolsPerFrame = 10;
constexpr double secondsPerEncoderFrame = 0.08;
constexpr const char* noDecodePath = "No decode path: need a fused decoder_joint (B1/B3/B2) or bare decoder+joint";

struct StepOutputs {
    MLMultiArray scores, h, c;
};

// Runs one step model and reads its scores (or token id), h_out and c_out, all required.
StepOutputs runStepModel(const platform::coreml::MLModel& model,
                         const std::optional<platform::coreml::MLPredictionOptions>& options,
                         std::map<std::string, MLFeatureValue> inputs, const char* scoresName, const char* failure) {
    const auto result = model.prediction(MLDictionaryFeatureProvider(std::move(inputs)),
                                         options.value_or(platform::coreml::MLPredictionOptions{}));
    auto scores = output(result, scoresName);
    auto h = output(result, "h_out");
    auto c = output(result, "c_out");
    if (!scores || !h || !c) throw ASRError::processingFailed(failure);
    return {*scores, *h, *c};
}

} // namespace

MLMultiArray StreamingNemotronMultilingualAsrManager::encoderStepFor(const MLMultiArray& encoded, std::int64_t frame) {
    if (buffers_.encoderStep) {
        arrays::fillEncoderStep(*buffers_.encoderStep, encoded, frame);
        return *buffers_.encoderStep;
    }
    return arrays::extractEncoderStep(encoded, frame);
}

std::optional<MLMultiArray> StreamingNemotronMultilingualAsrManager::encoderProjStepFor(
    const std::optional<MLMultiArray>& encoderProj, std::int64_t frame) {
    if (!encoderProj || !models_.decoderJointNoEncProj) return std::nullopt;
    if (buffers_.encoderProjStep) {
        arrays::fillEncoderProjStep(*buffers_.encoderProjStep, *encoderProj, frame);
        return buffers_.encoderProjStep;
    }
    return arrays::extractEncoderProjStep(*encoderProj, frame);
}

std::pair<MLMultiArray, MLMultiArray> StreamingNemotronMultilingualAsrManager::tokenInputs(std::int32_t token,
                                                                                          bool freshArrays) {
    MLMultiArray tokenArray = !freshArrays && buffers_.tokenInput ? *buffers_.tokenInput
                                                                  : MLMultiArray({1, 1}, MLMultiArrayDataType::int32);
    tokenArray[0] = static_cast<double>(token);
    if (!freshArrays && buffers_.tokenLength) return {tokenArray, *buffers_.tokenLength};
    return {tokenArray, MLMultiArray({1}, MLMultiArrayDataType::int32, 1.0)};
}

void StreamingNemotronMultilingualAsrManager::emit(DecodeState& state, std::int64_t token,
                                                   std::int64_t frameInChunk) const {
    if (token < std::numeric_limits<std::int32_t>::min() || token > std::numeric_limits<std::int32_t>::max()) {
        throw ASRError::processingFailed("Token id does not fit 32 bits");
    }
    state.newTokens.push_back(token);
    const bool isTag = config_.langTagTokenIds.contains(token);
    if (!isTag) {
        const double start = static_cast<double>(state.frameBase + frameInChunk) * secondsPerEncoderFrame;
        state.newTimings.push_back(
            {tokenizer_->rawToken(token).value_or(""), token, start, start + secondsPerEncoderFrame, 1.0f});
    }
    state.token = static_cast<std::int32_t>(token);
    if (isTag && !state.language) {
        if (const auto piece = tokenizer_->rawToken(token)) state.language = NemotronMultilingualTokenizer::languageOfTag(*piece);
    }
}

StreamingNemotronMultilingualAsrManager::StepResult StreamingNemotronMultilingualAsrManager::runStep(
    const DecodeState& state, const MLMultiArray& encoderStep, const std::optional<MLMultiArray>& encoderProjStep,
    StepCaller caller, const std::optional<MLModel>& drainDecoder) {
    const bool drain = caller == StepCaller::drain;
    const bool fresh = !drain && NemotronMultilingualSwitches::tokenPreallocDisabled(dependencies_.environment);
    const auto [token, tokenLength] = tokenInputs(state.token, fresh);
    std::map<std::string, MLFeatureValue> inputs{{"token", MLFeatureValue(token)},
                                                 {"token_length", MLFeatureValue(tokenLength)},
                                                 {"h_in", MLFeatureValue(state.h)},
                                                 {"c_in", MLFeatureValue(state.c)}};
    if (models_.decoderJointNoEncProj && encoderProjStep) {
        inputs.emplace("encoder_proj", MLFeatureValue(*encoderProjStep));
        const auto step = runStepModel(*models_.decoderJointNoEncProj, options_.decoderJointNoEncProj, std::move(inputs),
                                       "logits", drain ? "Drain B3+B1 failed" : "B3+B1 fused decoder_joint_noencproj failed");
        return {arrays::findMaxIndex(step.scores), step.h, step.c};
    }
    if (models_.decoderJointArgmax) {
        inputs.emplace("encoder", MLFeatureValue(encoderStep));
        const char* failure = drain ? "Drain B2 failed" : "Triple-fused decoder_joint_argmax failed";
        const auto step = runStepModel(*models_.decoderJointArgmax, options_.decoderJointArgmax, std::move(inputs),
                                       "token_id", failure);
        if (step.scores.count() < 1) throw ASRError::processingFailed(failure);
        return {step.scores[0].int32Value(), step.h, step.c};
    }
    if (models_.decoderJoint) {
        inputs.emplace("encoder", MLFeatureValue(encoderStep));
        const auto step = runStepModel(*models_.decoderJoint, options_.decoderJoint, std::move(inputs), "logits",
                                       drain ? "Drain B1 failed" : "Fused decoder_joint failed");
        return {arrays::findMaxIndex(step.scores), step.h, step.c};
    }
    const auto& decoder = drain ? drainDecoder : models_.decoder;
    if (!decoder || !models_.joint) throw ASRError::processingFailed(noDecodePath);
    const auto noOptions = std::optional<platform::coreml::MLPredictionOptions>();
    const auto decoded = runStepModel(*decoder, drain ? noOptions : options_.decoder, std::move(inputs), "decoder_out",
                                      drain ? "Drain decoder failed" : "Decoder failed");
    const auto joined = models_.joint->prediction(
        MLDictionaryFeatureProvider({{"encoder", MLFeatureValue(encoderStep)},
                                     {"decoder", MLFeatureValue(arrays::sliceDecoderOutput(decoded.scores))}}),
        (drain ? noOptions : options_.joint).value_or(platform::coreml::MLPredictionOptions{}));
    const auto logits = output(joined, "logits");
    if (!logits) throw ASRError::processingFailed(drain ? "Drain joint failed" : "Joint failed");
    return {arrays::findMaxIndex(*logits), decoded.h, decoded.c};
}

std::int64_t StreamingNemotronMultilingualAsrManager::drainUntilBlank(
    DecodeState& state, const MLMultiArray& encoded, const std::optional<MLMultiArray>& encoderProj,
    std::int64_t frame, int limit, StepCaller caller, const std::optional<MLModel>& drainDecoder) {
    const auto encoderStep = encoderStepFor(encoded, frame);
    const auto encoderProjStep = encoderProjStepFor(encoderProj, frame);
    const auto blank = config_.blankIdx;
    int emitted = 0;
    while (emitted < limit) {
        auto result = runStep(state, encoderStep, encoderProjStep, caller, drainDecoder);
        if (result.token == blank) break;
        emit(state, result.token, frame);
        state.h = result.h;
        state.c = result.c;
        ++emitted;
    }
    return emitted;
}

void StreamingNemotronMultilingualAsrManager::decodeFrames(const EncoderOutputs& outputs, std::int64_t frames,
                                                           DecodeState& state) {
    for (std::int64_t t = 0; t < frames; ++t) {
        drainUntilBlank(state, outputs.encoded, outputs.encoderProj, t, maxSymbolsPerFrame, StepCaller::frameLoop,
                        std::nullopt);
    }
}

void StreamingNemotronMultilingualAsrManager::speculativeDecode(const EncoderOutputs& outputs, std::int64_t frames,
                                                                const MLModel& decoder, const MLModel& jointBatched,
                                                                DecodeState& state) {
    const auto window = jointNoEncProjBatchedK_;
    const auto blank = config_.blankIdx;
    constexpr auto width = arrays::encoderProjWidth;
    if (!buffers_.encProjBatch || buffers_.encProjBatch->shape()[1] != window) {
        buffers_.encProjBatch = MLMultiArray({1, window, width}, MLMultiArrayDataType::float32);
    }
    const auto& encoderProj = *outputs.encoderProj;
    if (encoderProj.shape().size() != 3 || encoderProj.shape()[2] != width || encoderProj.shape()[1] < frames) {
        throw ASRError::processingFailed("Encoder projection must hold 640 values for every frame");
    }
    if (frames < 1) return;
    const auto& batch = *buffers_.encProjBatch;
    const auto frameStride = encoderProj.strides()[1];
    const auto channelStride = encoderProj.strides()[2];
    const std::optional<MLModel> drainDecoder = decoder;

    std::int64_t t = 0;
    while (t < frames) {
        const auto valid = std::min(frames - t, window);
        const auto [token, tokenLength] = tokenInputs(state.token, false);
        const auto decoded = runStepModel(decoder, options_.decoder,
                                          {{"token", MLFeatureValue(token)},
                                           {"token_length", MLFeatureValue(tokenLength)},
                                           {"h_in", MLFeatureValue(state.h)},
                                           {"c_in", MLFeatureValue(state.c)}},
                                          "decoder_out", "Speculative decoder failed");
        const auto slice = arrays::sliceDecoderOutput(decoded.scores);
        float* rows = batch.dataPointer<float>();
        for (std::int64_t j = 0; j < window; ++j) {
            for (std::int64_t k = 0; k < width; ++k) {
                rows[j * width + k] =
                    j < valid ? arrays::floatAt(encoderProj, (t + j) * frameStride + k * channelStride) : 0.0f;
            }
        }
        const auto joined = jointBatched.prediction(
            MLDictionaryFeatureProvider({{"encoder_proj", MLFeatureValue(batch)}, {"decoder", MLFeatureValue(slice)}}),
            options_.jointNoEncProjBatched.value_or(platform::coreml::MLPredictionOptions{}));
        const auto logits = output(joined, "logits");
        if (!logits) throw ASRError::processingFailed("Speculative joint_noencproj_batched failed");
        if (logits->shape().size() != 4 || logits->shape()[1] < valid) {
            throw ASRError::processingFailed("Speculative joint_noencproj_batched logits do not cover the window");
        }
        const auto vocabulary = logits->shape()[3];
        const bool fastScan = logits->dataType() == MLMultiArrayDataType::float32 && logits->strides()[3] == 1;
        std::optional<std::int64_t> hitRow;
        std::int64_t hitToken = blank;
        for (std::int64_t j = 0; j < valid && !hitRow; ++j) {
            const auto rowStart = j * logits->strides()[1];
            std::int64_t best = fastScan ? 0 : blank;
            float bestValue = fastScan ? -INFINITY : std::numeric_limits<float>::lowest();
            for (std::int64_t v = 0; v < vocabulary; ++v) {
                const float value = arrays::floatAt(*logits, rowStart + v * logits->strides()[3]);
                if (value > bestValue) {
                    best = v;
                    bestValue = value;
                }
            }
            if (best != blank) {
                hitRow = j;
                hitToken = best;
            }
        }
        counters_.specWindowsTotal += 1;
        if (!hitRow) {
            counters_.specWindowsAllBlank += 1;
            t += valid;
            continue;
        }
        counters_.specWindowsHitNonBlank += 1;
        const auto hitFrame = t + *hitRow;
        emit(state, hitToken, hitFrame);
        state.h = decoded.h;
        state.c = decoded.c;
        drainUntilBlank(state, outputs.encoded, outputs.encoderProj, hitFrame, maxSymbolsPerFrame - 1,
                        StepCaller::drain, drainDecoder);
        t = hitFrame + 1;
    }
}

} // namespace razeziruzer
