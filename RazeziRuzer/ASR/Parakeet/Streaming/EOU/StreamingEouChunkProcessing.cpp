// One chunk of the end-of-utterance recogniser: log-mels, the streaming
// encoder with the previous chunk's caches, RNN-T decoding, the stream's
// records, the partial callback and the end-of-utterance debounce. Caches and
// decoder state are committed only when the whole chunk has succeeded.

#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingEouAsrManager.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include <algorithm>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

namespace {

std::optional<MLMultiArray> output(const MLDictionaryFeatureProvider& provider, const std::string& name) {
    const auto value = provider.featureValue(name);
    if (!value) return std::nullopt;
    return value->multiArrayValue();
}

} // namespace

void StreamingEouAsrManager::processChunk(std::span<const float> samples) {
    if (!streamingEncoder_ || !caches_ || !rnntDecoder_) throw ASRError::notInitialized();
    const auto g = geometry(chunkSize_);

    const auto mel = melProcessor_.computeFlat(samples, 0.0f);
    MLMultiArray audioSignal({1, 128, mel.numFrames}, MLMultiArrayDataType::float32);
    std::copy(mel.mel.begin(), mel.mel.end(), audioSignal.dataPointer<float>());
    MLMultiArray audioLength({1}, MLMultiArrayDataType::int32);
    audioLength[0] = mel.melLength;
    if (debugFeatures_) debugFeatureBuffer_.insert(debugFeatureBuffer_.end(), mel.mel.begin(), mel.mel.end());

    Caches next = *caches_;
    const auto encoded = streamingEncoder_->prediction(MLDictionaryFeatureProvider(
        {{"audio_signal", MLFeatureValue(audioSignal)},
         {"audio_length", MLFeatureValue(audioLength)},
         {"pre_cache", MLFeatureValue(next.preCache)},
         {"cache_last_channel", MLFeatureValue(next.channel)},
         {"cache_last_time", MLFeatureValue(next.time)},
         {"cache_last_channel_len", MLFeatureValue(next.channelLen)}}));
    if (auto preCache = output(encoded, "new_pre_cache")) next.preCache = *preCache;
    if (auto channel = output(encoded, "new_cache_last_channel")) next.channel = *channel;
    if (auto time = output(encoded, "new_cache_last_time")) next.time = *time;
    if (auto len = output(encoded, "new_cache_last_channel_len")) next.channelLen = *len;
    const auto encoderOutput = output(encoded, "encoded_output");
    if (!encoderOutput) throw ASRError::processingFailed("Missing encoder output");

    const auto before = rnntDecoder_->state();
    RnntDecoder::DecodeResult result;
    try {
        result = rnntDecoder_->decodeWithEOU(*encoderOutput, 0, 0, g.validOutputLen);
    } catch (...) {
        rnntDecoder_->restoreState(before);
        throw;
    }
    caches_ = std::move(next);

    accumulatedTokenIds_.insert(accumulatedTokenIds_.end(), result.tokenIds.begin(), result.tokenIds.end());
    if (tokenizer_) {
        for (const auto id : result.tokenIds) {
            accumulatedRawTokenStrings_.push_back(tokenizer_->rawToken(id).value_or("<id:" + std::to_string(id) + ">"));
        }
    }
    const auto frameMs = frameDurationMs(chunkSize_);
    for (const auto t : result.tokenFrames) {
        accumulatedTokenTimestampsMs_.push_back((processedChunks_ * g.validOutputLen + t) * frameMs);
    }
    if (partialCallback_ && tokenizer_ && !result.tokenIds.empty()) {
        partialCallback_(tokenizer_->decode(accumulatedTokenIds_));
    }
    totalSamplesProcessed_ += g.shiftSamples;
    debounce(result);
    ++processedChunks_;
}

void StreamingEouAsrManager::debounce(const RnntDecoder::DecodeResult& result) {
    const auto total = totalSamplesProcessed_;
    if (!result.eouDetected) {
        eouFirstDetectedAt_.reset();
        return;
    }
    if (!result.tokenIds.empty()) {
        eouFirstDetectedAt_.reset();
    } else if (!eouFirstDetectedAt_) {
        eouFirstDetectedAt_ = total;
        logger_.debug("EOU candidate at chunk " + std::to_string(processedChunks_) + ", starting debounce timer");
    }
    if (!eouFirstDetectedAt_) return;
    const auto silenceMs = (total - *eouFirstDetectedAt_) * 1000 / 16000;
    if (silenceMs < eouDebounceMs_ || eouDetected_) return;
    eouDetected_ = true;
    logger_.info("EOU confirmed at chunk " + std::to_string(processedChunks_) + " after " + std::to_string(silenceMs) +
                 "ms silence");
    accumulatedEouTimestampsMs_.push_back(total * 1000 / 16000);
    if (eouCallback_ && tokenizer_) eouCallback_(tokenizer_->decode(accumulatedTokenIds_));
}

} // namespace razeziruzer
