#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronMultilingualAsrManager.hpp"

#include "Platform/Concurrency/SystemClock.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EncoderCacheManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronModelFeatures.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStepArrays.hpp"

#include <array>
#include <limits>
#include <set>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArrayDataType;
using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

using nemotronfeatures::int32Array;

constexpr std::size_t compactAfterChunks = 16;

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

StreamingNemotronMultilingualAsrManager::StreamingNemotronMultilingualAsrManager(
    std::optional<platform::coreml::MLModelConfiguration> configuration, Dependencies dependencies)
    : dependencies_(std::move(dependencies)),
      mlConfiguration_(configuration.value_or(defaultMultilingualConfiguration())) {
    if (!dependencies_.environment) dependencies_.environment = processEnvironment();
    if (!dependencies_.neuralEngineCheck) dependencies_.neuralEngineCheck = hasNeuralEngine;
    if (!dependencies_.clock) dependencies_.clock = &platform::SystemClock::shared();
    vadRmsThreshold_ = NemotronMultilingualSwitches::vadRmsThreshold(dependencies_.environment);
    vadHangoverChunks_ = NemotronMultilingualSwitches::vadHangoverChunks(dependencies_.environment);
    stream_.lastToken = static_cast<std::int32_t>(config_.blankIdx);
    currentPromptId_ = static_cast<std::int32_t>(config_.defaultPromptId);
}

void StreamingNemotronMultilingualAsrManager::setPartialCallback(PartialCallback callback) {
    const Lock lock(mutex_);
    partialCallback_ = std::move(callback);
}

void StreamingNemotronMultilingualAsrManager::setLanguage(const std::optional<std::string>& languageCode) {
    const Lock lock(mutex_);
    const auto id = config_.promptId(languageCode);
    if (!fitsInt32(id)) {
        logger_.error("Prompt id " + std::to_string(id) + " does not fit 32 bits; keeping " +
                      std::to_string(currentPromptId_));
    } else {
        currentPromptId_ = static_cast<std::int32_t>(id);
        logger_.info("Prompt id set to " + std::to_string(id) + " for language " + languageCode.value_or("auto"));
    }
    currentLanguageCode_ = languageCode;
    seedForcedPrefixLogged();
}

void StreamingNemotronMultilingualAsrManager::setForcedPrefix(bool enabled) {
    const Lock lock(mutex_);
    useForcedPrefix_ = enabled;
    logger_.info(std::string("Forced prefix ") + (enabled ? "enabled" : "disabled"));
    if (enabled) seedForcedPrefixLogged();
}

bool StreamingNemotronMultilingualAsrManager::forcedPrefixEnabled() const {
    const Lock lock(mutex_);
    return useForcedPrefix_;
}

void StreamingNemotronMultilingualAsrManager::setPromptId(std::int64_t promptId) {
    const Lock lock(mutex_);
    if (!fitsInt32(promptId)) throw ASRError::processingFailed("Prompt id does not fit 32 bits");
    currentPromptId_ = static_cast<std::int32_t>(promptId);
}

std::int64_t StreamingNemotronMultilingualAsrManager::promptId() const {
    const Lock lock(mutex_);
    return currentPromptId_;
}

std::optional<std::string> StreamingNemotronMultilingualAsrManager::detectedLanguage() const {
    const Lock lock(mutex_);
    return firstDetectedLanguage_;
}

void StreamingNemotronMultilingualAsrManager::loadModels(const std::filesystem::path& variantFolder) {
    const Lock lock(mutex_);
    if (!dependencies_.neuralEngineCheck()) {
        throw ASRError::unsupportedPlatform(std::string(nemotronMultilingualUnsupportedMessage) +
                                            " Intel Macs are not supported.");
    }
    loadFromShared(SharedNemotronMultilingualModels::load(variantFolder, mlConfiguration_,
                                                          dependencies_.neuralEngineCheck));
}

void StreamingNemotronMultilingualAsrManager::loadFromShared(const SharedNemotronMultilingualModels& set) {
    const Lock lock(mutex_);
    if (!fitsInt32(set.config.blankIdx) || !fitsInt32(set.config.defaultPromptId)) {
        throw ASRError::processingFailed("Blank or default prompt id does not fit 32 bits");
    }
    for (const auto id : set.config.langTagTokenIds) {
        if (!fitsInt32(id)) throw ASRError::processingFailed("Language-tag id does not fit 32 bits");
    }
    mlConfiguration_ = set.mlConfiguration;
    config_ = set.config;
    stream_.lastToken = static_cast<std::int32_t>(config_.blankIdx);
    currentPromptId_ = static_cast<std::int32_t>(config_.defaultPromptId);
    models_ = Models{set.preprocessor,  set.encoder,           set.decoder,
                     set.joint,         set.decoderJoint,      set.decoderJointArgmax,
                     set.decoderJointNoEncProj, set.jointNoEncProjBatched};
    tokenizer_ = set.tokenizer;
    if (models_.jointNoEncProjBatched) {
        const auto& inputs = models_.jointNoEncProjBatched->modelDescription().inputDescriptionsByName;
        const auto found = inputs.find("encoder_proj");
        if (found != inputs.end() && found->second.multiArrayConstraint &&
            found->second.multiArrayConstraint->shape.size() >= 2 && found->second.multiArrayConstraint->shape[1] >= 1) {
            jointNoEncProjBatchedK_ = found->second.multiArrayConstraint->shape[1];
        }
    }
    encoderState_.reset();
    if (set.encoderIsStateful) encoderState_ = models_.encoder->makeState();
    resetStates();
    options_ = Options{makePredictionOptions(models_.encoder),
                       makePredictionOptions(models_.decoder),
                       makePredictionOptions(models_.joint),
                       makePredictionOptions(models_.decoderJoint),
                       makePredictionOptions(models_.decoderJointArgmax),
                       makePredictionOptions(models_.decoderJointNoEncProj),
                       makePredictionOptions(models_.jointNoEncProjBatched)};
    buffers_.encoderStep = MLMultiArray({1, config_.encoderDim, 1}, MLMultiArrayDataType::float32);
    buffers_.encoderProjStep = MLMultiArray({1, 1, multilingualarrays::encoderProjWidth}, MLMultiArrayDataType::float32);
    buffers_.tokenInput = MLMultiArray({1, 1}, MLMultiArrayDataType::int32);
    buffers_.tokenLength = int32Array({1}, 1);
    logger_.info("Nemotron multilingual manager initialized from shared models (" + std::to_string(config_.chunkMs) +
                 "ms chunks).");
}

void StreamingNemotronMultilingualAsrManager::resetStates() {
    const Lock lock(mutex_);
    auto caches = EncoderCacheManager::createInitialCaches({config_.cacheChannelShape, config_.cacheTimeShape, {1}});
    const std::vector<std::int64_t> stateShape{config_.decoderLayers, 1, config_.decoderHidden};
    auto h = EncoderCacheManager::createZeroArray(stateShape, MLMultiArrayDataType::float32);
    auto c = EncoderCacheManager::createZeroArray(stateShape, MLMultiArrayDataType::float32);
    if (models_.encoder && !models_.encoder->modelDescription().stateDescriptionsByName.empty()) {
        encoderState_ = models_.encoder->makeState();
    }
    caches.len[0] = 1;
    stream_ = StreamState{caches.channel, caches.time, caches.len, std::nullopt, h, c,
                          std::nullopt, std::nullopt, static_cast<std::int32_t>(config_.blankIdx)};
}

void StreamingNemotronMultilingualAsrManager::reset() {
    const Lock lock(mutex_);
    audioBuffer_.clear();
    audioBufferOffset_ = 0;
    accumulatedTokenIds_.clear();
    accumulatedTokenTimings_.clear();
    lastFinishTokenTimings_.clear();
    processedChunks_ = 0;
    absoluteFrameBase_ = 0;
    firstDetectedLanguage_.reset();
    try {
        resetStates();
    } catch (...) {
        logger_.error("Failed to reset states: " + platform::describeError(std::current_exception()));
    }
    seedForcedPrefixLogged();
}

void StreamingNemotronMultilingualAsrManager::cleanup() {
    const Lock lock(mutex_);
    reset();
    models_.preprocessor.reset();
    models_.encoder.reset();
    models_.decoder.reset();
    models_.joint.reset();
    tokenizer_.reset();
    stream_.cacheChannel.reset();
    stream_.cacheTime.reset();
    stream_.cacheLen.reset();
    stream_.melCache.reset();
    stream_.hState.reset();
    stream_.cState.reset();
    logger_.info("StreamingNemotronMultilingualAsrManager resources cleaned up");
}

void StreamingNemotronMultilingualAsrManager::seedForcedPrefixLogged() {
    try {
        applyForcedPrefixIfNeeded();
    } catch (...) {
        logger_.error("Forced prefix seeding failed: " + platform::describeError(std::current_exception()));
    }
}

void StreamingNemotronMultilingualAsrManager::applyForcedPrefixIfNeeded() {
    if (!useForcedPrefix_ || !currentLanguageCode_ || !tokenizer_ || !models_.decoder || !stream_.hState ||
        !stream_.cState) {
        return;
    }
    const auto& code = *currentLanguageCode_;
    const auto tag = tokenizer_->langTagTokenId(code);
    if (!tag) {
        logger_.info("Forced prefix: no lang-tag token for " + code + "; skipping seed");
        return;
    }
    const auto result = models_.decoder->prediction(MLDictionaryFeatureProvider(
        {{"token", MLFeatureValue(int32Array({1, 1}, *tag))},
         {"token_length", MLFeatureValue(int32Array({1}, 1))},
         {"h_in", MLFeatureValue(*stream_.hState)},
         {"c_in", MLFeatureValue(*stream_.cState)}}));
    const auto h = result.featureValue("h_out");
    const auto c = result.featureValue("c_out");
    if (!h || !c || !h->multiArrayValue() || !c->multiArrayValue()) {
        logger_.warning("Forced prefix: decoder did not return h_out/c_out; skipping");
        return;
    }
    stream_.hState = *h->multiArrayValue();
    stream_.cState = *c->multiArrayValue();
    stream_.lastToken = static_cast<std::int32_t>(*tag);
    if (!firstDetectedLanguage_) firstDetectedLanguage_ = code;
    logger_.info("Forced prefix: seeded decoder with lang-tag token id " + std::to_string(*tag) + " for " + code);
}

bool StreamingNemotronMultilingualAsrManager::Models::hasDecodePath() const {
    return decoderJoint || decoderJointArgmax || decoderJointNoEncProj || (decoder && joint);
}

void StreamingNemotronMultilingualAsrManager::requireModels(bool needsTokenizer) const {
    if (!models_.preprocessor || !models_.encoder || !models_.hasDecodePath() || (needsTokenizer && !tokenizer_)) {
        throw ASRError::notInitialized();
    }
}

std::int64_t StreamingNemotronMultilingualAsrManager::chunkLength() const {
    const auto length = config_.chunkSamples();
    if (length <= 0) throw ASRError::processingFailed("Chunk length must be positive");
    return length;
}

void StreamingNemotronMultilingualAsrManager::appendAudio(const platform::audio::PCMBuffer& buffer) {
    const Lock lock(mutex_);
    const auto samples = audioConverter_.resampleBuffer(buffer);
    audioBuffer_.insert(audioBuffer_.end(), samples.begin(), samples.end());
}

std::string StreamingNemotronMultilingualAsrManager::process(const platform::audio::PCMBuffer& audioBuffer) {
    const Lock lock(mutex_);
    const auto samples = audioConverter_.resampleBuffer(audioBuffer);
    return process(std::span<const float>(samples));
}

std::string StreamingNemotronMultilingualAsrManager::process(std::span<const float> samples) {
    const Lock lock(mutex_);
    requireModels(false);
    audioBuffer_.insert(audioBuffer_.end(), samples.begin(), samples.end());
    decodeWholeChunks();
    return "";
}

void StreamingNemotronMultilingualAsrManager::decodeWholeChunks() {
    const auto n = static_cast<std::size_t>(chunkLength());
    while (audioBuffer_.size() - audioBufferOffset_ >= n) {
        const auto* start = audioBuffer_.data() + audioBufferOffset_;
        std::optional<std::vector<float>> next;
        if (audioBuffer_.size() - audioBufferOffset_ >= 2 * n) next.emplace(start + n, start + 2 * n);
        processChunk(std::span<const float>(start, n), std::move(next));
        audioBufferOffset_ += n;
        if (audioBufferOffset_ > compactAfterChunks * n) {
            audioBuffer_.erase(audioBuffer_.begin(), audioBuffer_.begin() + static_cast<std::ptrdiff_t>(audioBufferOffset_));
            audioBufferOffset_ = 0;
        }
    }
}

std::string StreamingNemotronMultilingualAsrManager::finish() {
    const Lock lock(mutex_);
    requireModels(true);
    // Every pending sample is decoded: whole chunks first, then the tail
    // padded with zeros to one chunk.
    decodeWholeChunks();
    const auto n = static_cast<std::size_t>(chunkLength());
    if (audioBuffer_.size() > audioBufferOffset_) {
        std::vector<float> tail(audioBuffer_.begin() + static_cast<std::ptrdiff_t>(audioBufferOffset_), audioBuffer_.end());
        tail.resize(n, 0.0f);
        processChunk(tail, std::nullopt);
    }
    audioBuffer_.clear();
    audioBufferOffset_ = 0;
    const auto decoded = tokenizer_->decode(accumulatedTokenIds_);
    if (!firstDetectedLanguage_) firstDetectedLanguage_ = decoded.detectedLanguage;
    lastFinish_ = DecodeStats{static_cast<std::int64_t>(accumulatedTokenIds_.size()), firstDetectedLanguage_,
                              processedChunks_};
    lastFinishTokenTimings_ = accumulatedTokenTimings_;
    accumulatedTokenIds_.clear();
    accumulatedTokenTimings_.clear();
    return appendTerminalPunctuation_ ? tidyTerminalPunctuation(decoded.text, lastFinish_.detectedLanguage)
                                      : decoded.text;
}

std::pair<std::string, std::vector<TokenTiming>> StreamingNemotronMultilingualAsrManager::finishWithTokenTimings() {
    const Lock lock(mutex_);
    auto text = finish();
    return {std::move(text), lastFinishTokenTimings_};
}

StreamingNemotronMultilingualAsrManager::DecodeStats StreamingNemotronMultilingualAsrManager::lastDecodeStats() const {
    const Lock lock(mutex_);
    return lastFinish_;
}

std::string StreamingNemotronMultilingualAsrManager::getPartialTranscript() {
    const Lock lock(mutex_);
    if (!tokenizer_) return "";
    auto decoded = tokenizer_->decode(accumulatedTokenIds_);
    if (!firstDetectedLanguage_) firstDetectedLanguage_ = decoded.detectedLanguage;
    return decoded.text;
}

std::vector<TokenTiming> StreamingNemotronMultilingualAsrManager::getTokenTimings() const {
    const Lock lock(mutex_);
    return accumulatedTokenTimings_;
}

NemotronMultilingualStreamingConfig StreamingNemotronMultilingualAsrManager::config() const {
    const Lock lock(mutex_);
    return config_;
}

bool StreamingNemotronMultilingualAsrManager::appendTerminalPunctuation() const {
    const Lock lock(mutex_);
    return appendTerminalPunctuation_;
}

void StreamingNemotronMultilingualAsrManager::setAppendTerminalPunctuation(bool append) {
    const Lock lock(mutex_);
    appendTerminalPunctuation_ = append;
}

StreamingNemotronMultilingualAsrManager::Counters StreamingNemotronMultilingualAsrManager::counters() const {
    const Lock lock(mutex_);
    return counters_;
}

std::int64_t StreamingNemotronMultilingualAsrManager::processedChunks() const {
    const Lock lock(mutex_);
    return processedChunks_;
}

std::int64_t StreamingNemotronMultilingualAsrManager::absoluteFrameBase() const {
    const Lock lock(mutex_);
    return absoluteFrameBase_;
}

std::int64_t StreamingNemotronMultilingualAsrManager::jointNoEncProjBatchedK() const {
    const Lock lock(mutex_);
    return jointNoEncProjBatchedK_;
}

std::int32_t StreamingNemotronMultilingualAsrManager::lastToken() const {
    const Lock lock(mutex_);
    return stream_.lastToken;
}

std::size_t StreamingNemotronMultilingualAsrManager::pendingSampleCount() const {
    const Lock lock(mutex_);
    return audioBuffer_.size() - audioBufferOffset_;
}

std::string StreamingNemotronMultilingualAsrManager::tidyTerminalPunctuation(const std::string& text,
                                                                             const std::optional<std::string>& language) {
    const auto trimmed = platform::text::trimWhitespaceAndNewlines(text);
    if (trimmed.empty()) return text;
    auto tidied = platform::text::capitalizeFirst(trimmed);
    static constexpr std::array<std::string_view, 7> enders{".", "!", "?", "\u3002", "\uFF01", "\uFF1F", "\u2026"};
    for (const auto ender : enders) {
        if (trimmed.ends_with(ender)) return tidied;
    }
    const bool cjk = language && (language->starts_with("zh") || language->starts_with("ja"));
    return tidied + (cjk ? "\u3002" : ".");
}

std::optional<platform::coreml::MLPredictionOptions> StreamingNemotronMultilingualAsrManager::makePredictionOptions(
    const std::optional<MLModel>& model) {
    if (!model) return std::nullopt;
    static const std::set<std::string> loopbackOutputNames{"h_out",          "c_out",         "cache_channel_out",
                                                           "cache_time_out", "cache_len_out", "mel_cache_out"};
    MLPredictionOptions options;
    for (const auto& [name, description] : model->modelDescription().outputDescriptionsByName) {
        if (loopbackOutputNames.contains(name) || !description.multiArrayConstraint) continue;
        const auto& shape = description.multiArrayConstraint->shape;
        if (shape.empty() || std::any_of(shape.begin(), shape.end(), [](std::int64_t d) { return d <= 0; })) continue;
        try {
            options.outputBackings.emplace(name, MLMultiArray(shape, description.multiArrayConstraint->dataType));
        } catch (...) {
            // An output whose buffer cannot be made is simply returned fresh.
        }
    }
    if (options.outputBackings.empty()) return std::nullopt;
    return options;
}

} // namespace razeziruzer
