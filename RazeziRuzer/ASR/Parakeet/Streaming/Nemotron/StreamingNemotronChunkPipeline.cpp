// One chunk through the preprocessor, the cache-aware encoder and the greedy
// transducer search. Everything the chunk produces is gathered in locals and
// written to the recogniser only once the chunk has succeeded.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronModelFeatures.hpp"

#include <algorithm>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using nemotronfeatures::int32Array;
using nemotronfeatures::output;

namespace {

constexpr int maxSymbolsPerFrame = 10;
constexpr double secondsPerEncoderFrame = 0.08;

// Element (0, row, column) of a rank-3 array, through its strides.
float element3(const MLMultiArray& array, std::int64_t row, std::int64_t column) {
    const auto& strides = array.strides();
    const auto offset = row * strides[1] + column * strides[2];
    if (array.dataType() == MLMultiArrayDataType::float32) return array.dataPointer<float>()[offset];
    return array[{0, row, column}].floatValue();
}

void setElement3(const MLMultiArray& array, std::int64_t row, std::int64_t column, float value) {
    const auto& strides = array.strides();
    array.dataPointer<float>()[row * strides[1] + column * strides[2]] = value;
}

// Index of the largest value; the lowest index among equal largest values.
std::int64_t argMax(const MLMultiArray& logits) {
    std::int64_t best = 0;
    float bestValue = 0;
    const bool dense = logits.dataType() == MLMultiArrayDataType::float32 && logits.isContiguous();
    const float* data = dense ? logits.dataPointer<float>() : nullptr;
    for (std::int64_t i = 0; i < logits.count(); ++i) {
        const float value = data ? data[i] : logits[i].floatValue();
        if (i == 0 || value > bestValue) {
            best = i;
            bestValue = value;
        }
    }
    return best;
}

} // namespace

MLMultiArray StreamingNemotronAsrManager::createAudioArray(std::span<const float> samples) {
    MLMultiArray array({1, static_cast<std::int64_t>(samples.size())}, MLMultiArrayDataType::float32);
    std::copy(samples.begin(), samples.end(), array.dataPointer<float>());
    return array;
}

MLMultiArray StreamingNemotronAsrManager::prependMelCache(const MLMultiArray& mel,
                                                          const std::optional<MLMultiArray>& melCache,
                                                          const NemotronStreamingConfig& config) {
    MLMultiArray window({1, config.melFeatures, config.totalMelFrames}, MLMultiArrayDataType::float32);
    if (melCache) {
        const auto cached = std::min(melCache->shape()[2], config.totalMelFrames);
        for (std::int64_t m = 0; m < config.melFeatures; ++m) {
            for (std::int64_t f = 0; f < cached; ++f) setElement3(window, m, f, element3(*melCache, m, f));
        }
    }
    const auto frames = std::max<std::int64_t>(
        0, std::min(config.totalMelFrames - config.preEncodeCache, mel.shape()[2]));
    for (std::int64_t m = 0; m < config.melFeatures; ++m) {
        for (std::int64_t f = 0; f < frames; ++f) {
            setElement3(window, m, config.preEncodeCache + f, element3(mel, m, f));
        }
    }
    return window;
}

MLMultiArray StreamingNemotronAsrManager::extractMelCache(const MLMultiArray& mel,
                                                          const NemotronStreamingConfig& config) {
    const auto total = mel.shape()[2];
    const auto kept = std::min(total, config.preEncodeCache);
    MLMultiArray cache({1, config.melFeatures, kept}, MLMultiArrayDataType::float32);
    for (std::int64_t m = 0; m < config.melFeatures; ++m) {
        for (std::int64_t f = 0; f < kept; ++f) setElement3(cache, m, f, element3(mel, m, total - kept + f));
    }
    return cache;
}

MLMultiArray StreamingNemotronAsrManager::extractEncoderStep(const MLMultiArray& encoded, std::int64_t timeIndex) {
    const auto width = encoded.shape()[1];
    MLMultiArray step({1, width, 1}, MLMultiArrayDataType::float32);
    auto* target = step.dataPointer<float>();
    for (std::int64_t d = 0; d < width; ++d) target[d] = element3(encoded, d, timeIndex);
    return step;
}

MLMultiArray StreamingNemotronAsrManager::sliceDecoderOutput(const MLMultiArray& decoderOut) {
    return extractEncoderStep(decoderOut, 0);
}

void StreamingNemotronAsrManager::processChunk(std::span<const float> samples) {
    if (!models_ || !state_) throw ASRError::notInitialized();
    const auto& models = *models_;
    StreamState next = *state_;

    const auto n = static_cast<std::int64_t>(samples.size());
    const auto preprocessed = models.preprocessor.prediction(MLDictionaryFeatureProvider(
        {{"audio", MLFeatureValue(createAudioArray(samples))}, {"audio_length", MLFeatureValue(int32Array({1}, n))}}));
    const auto mel = output(preprocessed, "mel");
    if (!mel) throw ASRError::processingFailed("Preprocessor failed to produce mel output");

    const auto window = prependMelCache(*mel, next.melCache, config_);
    const auto encoderOutput = models.encoder.prediction(MLDictionaryFeatureProvider(
        {{"mel", MLFeatureValue(window)},
         {"mel_length", MLFeatureValue(int32Array({1}, config_.totalMelFrames))},
         {"cache_channel", MLFeatureValue(next.cacheChannel)},
         {"cache_time", MLFeatureValue(next.cacheTime)},
         {"cache_len", MLFeatureValue(next.cacheLen)}}));
    if (auto channel = output(encoderOutput, "cache_channel_out")) next.cacheChannel = *channel;
    if (auto time = output(encoderOutput, "cache_time_out")) next.cacheTime = *time;
    if (auto len = output(encoderOutput, "cache_len_out")) next.cacheLen = *len;
    const auto encoded = output(encoderOutput, "encoded");
    if (!encoded) throw ASRError::processingFailed("Encoder failed to produce output");
    next.melCache = extractMelCache(*mel, config_);

    std::vector<std::int64_t> ids;
    std::vector<TokenTiming> timings;
    const auto frames = encoded->shape()[2];
    for (std::int64_t t = 0; t < frames; ++t) {
        const auto step = extractEncoderStep(*encoded, t);
        for (int symbols = 0; symbols < maxSymbolsPerFrame; ++symbols) {
            std::map<std::string, MLFeatureValue> inputs{
                {"token", MLFeatureValue(int32Array({1, 1}, next.lastToken))},
                {"token_length", MLFeatureValue(int32Array({1}, 1))},
                {"h_in", MLFeatureValue(next.hState)},
                {"c_in", MLFeatureValue(next.cState)}};
            std::optional<MLMultiArray> logits, h, c;
            if (models.decoderJoint) {
                inputs.emplace("encoder", MLFeatureValue(step));
                const auto result = models.decoderJoint->prediction(MLDictionaryFeatureProvider(std::move(inputs)));
                logits = output(result, "logits");
                h = output(result, "h_out");
                c = output(result, "c_out");
                if (!logits || !h || !c) throw ASRError::processingFailed("Fused decoder_joint failed");
            } else {
                const auto decoded = models.decoder.prediction(MLDictionaryFeatureProvider(std::move(inputs)));
                const auto decoderOut = output(decoded, "decoder_out");
                h = output(decoded, "h_out");
                c = output(decoded, "c_out");
                if (!decoderOut || !h || !c) throw ASRError::processingFailed("Decoder failed");
                const auto joined = models.joint.prediction(MLDictionaryFeatureProvider(
                    {{"encoder", MLFeatureValue(step)}, {"decoder", MLFeatureValue(sliceDecoderOutput(*decoderOut))}}));
                logits = output(joined, "logits");
                if (!logits) throw ASRError::processingFailed("Joint failed");
            }
            const auto id = argMax(*logits);
            if (id == config_.blankIdx) break;
            ids.push_back(id);
            const double start = static_cast<double>(t + absoluteFrameBase_) * secondsPerEncoderFrame;
            timings.push_back({tokenizer_ ? tokenizer_->rawToken(id).value_or("") : std::string(), id, start,
                               start + secondsPerEncoderFrame, 1.0f});
            next.lastToken = static_cast<std::int32_t>(id);
            next.hState = h->clone();
            next.cState = c->clone();
        }
    }

    state_ = std::move(next);
    accumulatedTokenIds_.insert(accumulatedTokenIds_.end(), ids.begin(), ids.end());
    accumulatedTokenTimings_.insert(accumulatedTokenTimings_.end(), timings.begin(), timings.end());
    absoluteFrameBase_ += frames;
    if (!ids.empty()) emitPartial();
    ++processedChunks_;
}

} // namespace razeziruzer
