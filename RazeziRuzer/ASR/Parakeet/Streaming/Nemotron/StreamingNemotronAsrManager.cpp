#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Files/XdgDirectories.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EncoderCacheManager.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNames.hpp"

namespace razeziruzer {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLMultiArrayDataType;
using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

platform::coreml::MLModelConfiguration defaultConfiguration() {
    platform::coreml::MLModelConfiguration configuration;
    configuration.computeUnits = MLComputeUnits::cpuAndNeuralEngine;
    configuration.allowLowPrecisionAccumulationOnGPU = true;
    return configuration;
}

std::filesystem::path defaultModelsDirectory() { return platform::files::dataHome() / "RazeziRuzer" / "Models"; }

} // namespace

StreamingNemotronAsrManager::StreamingNemotronAsrManager(std::optional<MLModelConfiguration> configuration,
                                                         std::optional<NemotronChunkSize> requestedChunkSize,
                                                         NeuralEngineCheck neuralEngineCheck)
    : requestedChunkSize_(requestedChunkSize), mlConfiguration_(configuration.value_or(defaultConfiguration())),
      neuralEngineCheck_(neuralEngineCheck ? std::move(neuralEngineCheck) : NeuralEngineCheck(hasNeuralEngine)) {}

std::string StreamingNemotronAsrManager::displayName() const {
    const Lock lock(mutex_);
    return "Nemotron 0.6B (" + std::to_string(config_.chunkMs) + "ms)";
}

NemotronStreamingConfig StreamingNemotronAsrManager::config() const {
    const Lock lock(mutex_);
    return config_;
}

platform::coreml::MLModelConfiguration StreamingNemotronAsrManager::mlConfiguration() const {
    const Lock lock(mutex_);
    return mlConfiguration_;
}

void StreamingNemotronAsrManager::setPartialCallback(TranscriptCallback callback) {
    const Lock lock(mutex_);
    partialCallback_ = std::move(callback);
}

void StreamingNemotronAsrManager::refuseWithoutNeuralEngine() const {
    if (!neuralEngineCheck_()) throw ASRError::unsupportedPlatform(nemotronUnsupportedPlatformMessage);
}

void StreamingNemotronAsrManager::loadModels(const std::filesystem::path& from) {
    const Lock lock(mutex_);
    refuseWithoutNeuralEngine();
    loadFolder(from);
}

void StreamingNemotronAsrManager::loadModels(const std::optional<std::filesystem::path>& to,
                                             const std::optional<MLModelConfiguration>& configuration,
                                             const DownloadUtils::ProgressHandler& progressHandler) {
    const Lock lock(mutex_);
    if (configuration) mlConfiguration_ = *configuration;
    const auto repository = requestedChunkSize_ ? repo(*requestedChunkSize_) : Repo::nemotronStreaming2240;
    const auto baseDirectory = to.value_or(defaultModelsDirectory());
    const auto modelFolder = baseDirectory / folderName(repository);
    std::error_code ignored;
    if (std::filesystem::exists(modelFolder / ModelNames::NemotronStreaming::encoderInt8File, ignored)) {
        logger_.info("Using cached Nemotron models at " + modelFolder.string());
    } else {
        logger_.info("Downloading Nemotron models to " + baseDirectory.string() + "...");
        DownloadUtils::downloadRepo(repository, baseDirectory, std::nullopt, {}, progressHandler);
    }
    refuseWithoutNeuralEngine();
    loadFolder(modelFolder);
}

void StreamingNemotronAsrManager::loadFolder(const std::filesystem::path& folder) {
    namespace names = ModelNames::NemotronStreaming;
    logger_.info("Loading Nemotron models from " + folder.string());
    auto loaded = Models{MLModel::load(folder / names::preprocessorFile, mlConfiguration_),
                         MLModel::load(folder / names::encoderInt8File, mlConfiguration_),
                         MLModel::load(folder / names::decoderFile, mlConfiguration_),
                         MLModel::load(folder / names::jointFile, mlConfiguration_), std::nullopt};
    std::error_code ignored;
    if (std::filesystem::exists(folder / names::decoderJointFile, ignored)) {
        loaded.decoderJoint = MLModel::load(folder / names::decoderJointFile, mlConfiguration_);
    }
    auto tokenizer = std::make_shared<const Tokenizer>(folder / names::tokenizer);
    auto settings = NemotronStreamingConfig::from(folder / names::metadata);
    auto state = initialState(settings);
    models_ = std::move(loaded);
    tokenizer_ = std::move(tokenizer);
    config_ = std::move(settings);
    audioBuffer_.clear();
    resetUtterance();
    state_ = std::move(state);
}

void StreamingNemotronAsrManager::resetUtterance() {
    accumulatedTokenIds_.clear();
    processedChunks_ = 0;
    accumulatedTokenTimings_.clear();
    absoluteFrameBase_ = 0;
    lastFinishTokenTimings_.clear();
}

void StreamingNemotronAsrManager::reset() {
    const Lock lock(mutex_);
    audioBuffer_.clear();
    resetUtterance();
    try {
        resetStates();
    } catch (...) {
        logger_.error("Failed to reset states: " + platform::describeError(std::current_exception()));
    }
}

void StreamingNemotronAsrManager::resetStates() {
    const Lock lock(mutex_);
    state_ = initialState(config_);
}

StreamingNemotronAsrManager::StreamState StreamingNemotronAsrManager::initialState(const NemotronStreamingConfig& config) {
    if (config.blankIdx < INT32_MIN || config.blankIdx > INT32_MAX) {
        throw ASRError::processingFailed("Blank id does not fit a 32-bit token");
    }
    auto caches = EncoderCacheManager::createInitialCaches({config.cacheChannelShape, config.cacheTimeShape, {1}});
    caches.len[0] = 1;
    const std::vector<std::int64_t> stateShape{config.decoderLayers, 1, config.decoderHidden};
    auto h = EncoderCacheManager::createZeroArray(stateShape, MLMultiArrayDataType::float32);
    auto c = EncoderCacheManager::createZeroArray(stateShape, MLMultiArrayDataType::float32);
    return StreamState{caches.channel, caches.time, caches.len, std::nullopt, h, c,
                       static_cast<std::int32_t>(config.blankIdx)};
}

void StreamingNemotronAsrManager::cleanup() noexcept {
    const Lock lock(mutex_);
    reset();
    models_.reset();
    tokenizer_.reset();
    state_.reset();
    logger_.info("StreamingNemotronAsrManager resources cleaned up");
}

void StreamingNemotronAsrManager::requireModels(bool needsTokenizer) const {
    if (!models_ || (needsTokenizer && !tokenizer_)) throw ASRError::notInitialized();
}

void StreamingNemotronAsrManager::appendAudio(const platform::audio::PCMBuffer& buffer) {
    const Lock lock(mutex_);
    const auto samples = audioConverter_.resampleBuffer(buffer);
    audioBuffer_.insert(audioBuffer_.end(), samples.begin(), samples.end());
}

std::string StreamingNemotronAsrManager::process(const platform::audio::PCMBuffer& audioBuffer) {
    const Lock lock(mutex_);
    requireModels(false);
    appendAudio(audioBuffer);
    decodeWholeChunks();
    return "";
}

void StreamingNemotronAsrManager::processBufferedAudio() {
    const Lock lock(mutex_);
    requireModels(false);
    decodeWholeChunks();
}

void StreamingNemotronAsrManager::decodeWholeChunks() {
    while (true) {
        const auto chunk = static_cast<std::size_t>(config_.chunkSamples());
        if (chunk == 0 || audioBuffer_.size() < chunk) return;
        const std::vector<float> samples(audioBuffer_.begin(), audioBuffer_.begin() + static_cast<std::ptrdiff_t>(chunk));
        processChunk(samples);
        audioBuffer_.erase(audioBuffer_.begin(), audioBuffer_.begin() + static_cast<std::ptrdiff_t>(chunk));
    }
}

std::string StreamingNemotronAsrManager::finish() {
    const Lock lock(mutex_);
    requireModels(true);
    // Every pending sample is decoded: whole chunks first, then the tail
    // padded with zeros to one chunk.
    decodeWholeChunks();
    if (!audioBuffer_.empty()) {
        audioBuffer_.resize(static_cast<std::size_t>(config_.chunkSamples()), 0.0f);
        processChunk(audioBuffer_);
        audioBuffer_.clear();
    }
    auto text = tokenizer_->decode(accumulatedTokenIds_);
    lastFinishTokenTimings_ = accumulatedTokenTimings_;
    accumulatedTokenIds_.clear();
    accumulatedTokenTimings_.clear();
    return text;
}

std::pair<std::string, std::vector<TokenTiming>> StreamingNemotronAsrManager::finishWithTokenTimings() {
    const Lock lock(mutex_);
    auto text = finish();
    return {std::move(text), lastFinishTokenTimings_};
}

std::string StreamingNemotronAsrManager::getPartialTranscript() const {
    const Lock lock(mutex_);
    return tokenizer_ ? tokenizer_->decode(accumulatedTokenIds_) : std::string();
}

std::vector<TokenTiming> StreamingNemotronAsrManager::getTokenTimings() const {
    const Lock lock(mutex_);
    return accumulatedTokenTimings_;
}

int StreamingNemotronAsrManager::processedChunks() const {
    const Lock lock(mutex_);
    return processedChunks_;
}

std::size_t StreamingNemotronAsrManager::bufferedSampleCount() const {
    const Lock lock(mutex_);
    return audioBuffer_.size();
}

std::vector<TokenTiming> StreamingNemotronAsrManager::lastFinishTokenTimings() const {
    const Lock lock(mutex_);
    return lastFinishTokenTimings_;
}

void StreamingNemotronAsrManager::emitPartial() const {
    if (partialCallback_ && tokenizer_) partialCallback_(tokenizer_->decode(accumulatedTokenIds_));
}

} // namespace razeziruzer
