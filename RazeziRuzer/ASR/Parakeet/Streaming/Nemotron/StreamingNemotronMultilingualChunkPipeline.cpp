// One chunk through the voice-activity gate, the preprocessor with the mel
// cache, the encoder and the decode, while the next chunk's preprocessor and
// encoder run ahead on another thread. Everything the chunk changes is built
// in a copy of the stream state and committed only when the chunk, its
// prefetch included, has succeeded.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronMultilingualAsrManager.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronModelFeatures.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStepArrays.hpp"

#include <chrono>
#include <future>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using nemotronfeatures::int32Array;
using nemotronfeatures::output;
namespace arrays = multilingualarrays;

namespace {

constexpr std::int64_t samplesPerEncoderFrame = 1280;

std::int64_t checkedAdd(std::int64_t value, std::int64_t increment) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(value, increment, &sum)) throw ASRError::processingFailed("Counter overflow");
    return sum;
}

std::optional<MLMultiArray> runPreprocessor(const platform::coreml::MLModel& preprocessor,
                                            std::span<const float> samples) {
    const auto result = preprocessor.prediction(MLDictionaryFeatureProvider(
        {{"audio", MLFeatureValue(arrays::createAudioArray(samples))},
         {"audio_length", MLFeatureValue(int32Array({1}, static_cast<std::int64_t>(samples.size())))}}));
    return output(result, "mel");
}

// Copies of a stateful encoder's buffers, put back when the chunk fails.
class EncoderStateSnapshot {
public:
    explicit EncoderStateSnapshot(const std::optional<platform::coreml::MLState>& state) : state_(state) {
        if (!state_) return;
        for (const auto& name : state_->stateNames()) saved_.emplace(name, state_->multiArray(name).clone());
    }
    void restore() const {
        for (const auto& [name, copy] : saved_) state_->multiArray(name).copyContents(copy);
    }

private:
    const std::optional<platform::coreml::MLState>& state_;
    std::map<std::string, MLMultiArray> saved_;
};

} // namespace

struct StreamingNemotronMultilingualAsrManager::Prefetched {
    std::optional<MLMultiArray> encoded, encoderProj, cacheChannel, cacheTime, cacheLen, melCache;
};

std::uint64_t StreamingNemotronMultilingualAsrManager::nowNanos() const {
    const auto since = dependencies_.clock->now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

bool StreamingNemotronMultilingualAsrManager::passesVoiceGate(std::span<const float> samples) {
    if (!(vadRmsThreshold_ > 0.0f)) return true;
    const bool loud = !samples.empty() && !(vadRmsThreshold_ > arrays::rootMeanSquare(samples));
    if (loud) {
        vadConsecutiveLowChunks_ = 0;
        return true;
    }
    vadConsecutiveLowChunks_ += 1;
    if (vadConsecutiveLowChunks_ < vadHangoverChunks_) return true;
    counters_.vadSkipCount += 1;
    absoluteFrameBase_ = checkedAdd(absoluteFrameBase_, static_cast<std::int64_t>(samples.size()) / samplesPerEncoderFrame);
    return false;
}

void StreamingNemotronMultilingualAsrManager::processChunk(std::span<const float> samples,
                                                          std::optional<std::vector<float>> nextChunk) {
    if (!models_.preprocessor || !models_.encoder || !stream_.cacheChannel || !stream_.cacheTime ||
        !stream_.cacheLen || !stream_.hState || !stream_.cState || !tokenizer_) {
        throw ASRError::notInitialized();
    }
    counters_.chunkCount = checkedAdd(counters_.chunkCount, 1);
    if (!passesVoiceGate(samples)) return;

    StreamState next = stream_;
    const EncoderStateSnapshot snapshot(encoderState_);
    try {
        const auto prepStart = nowNanos();
        EncoderOutputs outputs{MLMultiArray({0}, MLMultiArrayDataType::float32), std::nullopt};
        if (next.prefetchedEncoded) {
            outputs = {*next.prefetchedEncoded, next.prefetchedEncoderProj};
            next.prefetchedEncoded.reset();
            next.prefetchedEncoderProj.reset();
            counters_.prepNanos += nowNanos() - prepStart;
        } else {
            outputs = encodeChunk(samples, next);
        }
        if (outputs.encoded.shape().size() < 3) throw ASRError::processingFailed("Encoder output has fewer than three dimensions");

        std::future<Prefetched> prefetching =
            std::async(std::launch::async, [this, nextChunk = std::move(nextChunk), captured = next]() mutable {
                return prefetch(std::move(nextChunk), captured);
            });

        const auto decodeStart = nowNanos();
        const auto frames = outputs.encoded.shape()[2];
        DecodeState state{next.lastToken, *next.hState, *next.cState, {}, {}, firstDetectedLanguage_,
                          absoluteFrameBase_};
        const bool speculative = NemotronMultilingualSwitches::speculativeDecodeEnabled(dependencies_.environment) &&
                                 models_.jointNoEncProjBatched && models_.decoder && outputs.encoderProj;
        if (speculative) {
            speculativeDecode(outputs, frames, *models_.decoder, *models_.jointNoEncProjBatched, state);
        } else if (frames > 0) {
            decodeFrames(outputs, frames, state);
        }
        counters_.decNanos += nowNanos() - decodeStart;

        auto ahead = prefetching.get();
        if (ahead.encoded) {
            next.prefetchedEncoded = ahead.encoded;
            next.prefetchedEncoderProj = ahead.encoderProj;
            next.cacheChannel = ahead.cacheChannel;
            next.cacheTime = ahead.cacheTime;
            next.cacheLen = ahead.cacheLen;
            next.melCache = ahead.melCache;
        }
        const auto frameBase = checkedAdd(absoluteFrameBase_, frames);
        const auto chunks = checkedAdd(processedChunks_, 1);

        next.lastToken = state.token;
        next.hState = state.h;
        next.cState = state.c;
        stream_ = std::move(next);
        accumulatedTokenIds_.insert(accumulatedTokenIds_.end(), state.newTokens.begin(), state.newTokens.end());
        accumulatedTokenTimings_.insert(accumulatedTokenTimings_.end(), state.newTimings.begin(), state.newTimings.end());
        firstDetectedLanguage_ = state.language;
        absoluteFrameBase_ = frameBase;
        processedChunks_ = chunks;
        if (!state.newTokens.empty() && partialCallback_) {
            partialCallback_(tokenizer_->decode(accumulatedTokenIds_).text);
        }
    } catch (...) {
        snapshot.restore();
        throw;
    }
}

StreamingNemotronMultilingualAsrManager::EncoderOutputs StreamingNemotronMultilingualAsrManager::encodeChunk(
    std::span<const float> samples, StreamState& stream) {
    const auto prepStart = nowNanos();
    const auto mel = runPreprocessor(*models_.preprocessor, samples);
    if (!mel) throw ASRError::processingFailed("Preprocessor failed to produce mel output");
    const auto encoderStart = nowNanos();
    counters_.prepNanos += encoderStart - prepStart;

    const arrays::MelGeometry geometry{config_.melFeatures, config_.totalMelFrames, config_.preEncodeCache};
    std::map<std::string, MLFeatureValue> inputs{
        {"mel", MLFeatureValue(arrays::prependMelCache(stream.melCache, *mel, geometry))},
        {"mel_length", MLFeatureValue(int32Array({1}, config_.totalMelFrames))},
        {"cache_len", MLFeatureValue(*stream.cacheLen)},
        {"prompt_id", MLFeatureValue(int32Array({1}, currentPromptId_))}};
    const auto options = options_.encoder.value_or(MLPredictionOptions{});
    std::optional<MLDictionaryFeatureProvider> result;
    if (encoderState_) {
        result = models_.encoder->prediction(MLDictionaryFeatureProvider(std::move(inputs)), *encoderState_, options);
    } else {
        inputs.emplace("cache_channel", MLFeatureValue(*stream.cacheChannel));
        inputs.emplace("cache_time", MLFeatureValue(*stream.cacheTime));
        result = models_.encoder->prediction(MLDictionaryFeatureProvider(std::move(inputs)), options);
    }
    if (!encoderState_) {
        auto channel = output(*result, "cache_channel_out");
        auto time = output(*result, "cache_time_out");
        if (channel) stream.cacheChannel = std::move(channel);
        if (time) stream.cacheTime = std::move(time);
    }
    if (auto length = output(*result, "cache_len_out")) stream.cacheLen = std::move(length);
    auto encoded = output(*result, "encoded");
    if (!encoded) throw ASRError::processingFailed("Encoder failed to produce output");
    auto encoderProj = output(*result, "encoder_proj");
    counters_.encNanos += nowNanos() - encoderStart;
    stream.melCache = arrays::extractMelCache(*mel, geometry);
    return {*encoded, encoderProj};
}

StreamingNemotronMultilingualAsrManager::Prefetched StreamingNemotronMultilingualAsrManager::prefetch(
    std::optional<std::vector<float>> next, const StreamState& stream) const {
    // Runs on its own thread: reads only what was captured or never changes
    // while the chunk is decoded (models, configuration, switches).
    if (!next || NemotronMultilingualSwitches::prefetchDisabled(dependencies_.environment) || encoderState_ ||
        !stream.cacheChannel || !stream.cacheTime || !stream.cacheLen) {
        return {};
    }
    if (vadRmsThreshold_ > 0.0f && (next->empty() || arrays::rootMeanSquare(*next) < vadRmsThreshold_)) return {};
    const auto mel = runPreprocessor(*models_.preprocessor, *next);
    if (!mel) return {};
    const arrays::MelGeometry geometry{config_.melFeatures, config_.totalMelFrames, config_.preEncodeCache};
    const auto result = models_.encoder->prediction(MLDictionaryFeatureProvider(
        {{"mel", MLFeatureValue(arrays::prependMelCache(stream.melCache, *mel, geometry))},
         {"mel_length", MLFeatureValue(int32Array({1}, config_.totalMelFrames))},
         {"cache_channel", MLFeatureValue(*stream.cacheChannel)},
         {"cache_time", MLFeatureValue(*stream.cacheTime)},
         {"cache_len", MLFeatureValue(*stream.cacheLen)},
         {"prompt_id", MLFeatureValue(int32Array({1}, currentPromptId_))}}));
    Prefetched ahead{output(result, "encoded"), output(result, "encoder_proj"), output(result, "cache_channel_out"),
                     output(result, "cache_time_out"), output(result, "cache_len_out"), std::nullopt};
    if (!ahead.encoded || !ahead.cacheChannel || !ahead.cacheTime || !ahead.cacheLen) return {};
    ahead.melCache = arrays::extractMelCache(*mel, geometry);
    return ahead;
}

} // namespace razeziruzer
