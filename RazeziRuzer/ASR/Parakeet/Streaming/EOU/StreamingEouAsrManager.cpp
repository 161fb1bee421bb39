#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingEouAsrManager.hpp"

#include "Platform/Files/XdgDirectories.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EncoderCacheManager.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNames.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace razeziruzer {

using platform::coreml::MLMultiArrayDataType;
using Lock = std::lock_guard<std::recursive_mutex>;

namespace {
constexpr const char* fusedModelFile = "decoder_joint_decision_fused.mlmodelc";
}

StreamingEouAsrManager::StreamingEouAsrManager(MLModelConfiguration configuration, StreamingChunkSize chunkSize,
                                               std::int64_t eouDebounceMs, bool debugFeatures)
    : melProcessor_(16000, 128, 512, 160, 400, 0.97f, 1, 5.9604645e-8f, AudioMelSpectrogram::LogFloorMode::additive,
                    false),
      chunkSize_(chunkSize), eouDebounceMs_(eouDebounceMs), configuration_(std::move(configuration)),
      debugFeatures_(debugFeatures) {
    logger_.info("Initialized with chunk size: " + std::to_string(geometry(chunkSize_).durationMs) +
                 "ms, EOU debounce: " + std::to_string(eouDebounceMs_) + "ms");
}

std::string StreamingEouAsrManager::displayName() const {
    return "Parakeet EOU 120M (" + std::to_string(geometry(chunkSize_).durationMs) + "ms)";
}

platform::coreml::MLModelConfiguration StreamingEouAsrManager::configuration() const {
    const Lock lock(mutex_);
    return configuration_;
}

bool StreamingEouAsrManager::eouDetected() const {
    const Lock lock(mutex_);
    return eouDetected_;
}

std::int64_t StreamingEouAsrManager::eouDebounceMs() const {
    const Lock lock(mutex_);
    return eouDebounceMs_;
}

void StreamingEouAsrManager::setEouDebounceMs(std::int64_t milliseconds) {
    const Lock lock(mutex_);
    eouDebounceMs_ = milliseconds;
}

void StreamingEouAsrManager::loadModels(const std::optional<std::filesystem::path>& to,
                                        const std::optional<MLModelConfiguration>& configuration,
                                        const DownloadUtils::ProgressHandler& progressHandler) {
    const Lock lock(mutex_);
    if (configuration) configuration_ = *configuration;
    const auto base = to.value_or(platform::files::dataHome() / "RazeziRuzer" / "Models" / "parakeet-eou-streaming");
    const auto repository = repo(chunkSize_);
    const auto folder = base / folderName(repository);
    bool cached = true;
    for (const auto& name : ModelNames::ParakeetEOU::requiredModels()) {
        std::error_code ignored;
        if (!std::filesystem::exists(folder / name, ignored)) cached = false;
    }
    if (cached) {
        logger_.info("Using cached Parakeet EOU models at " + folder.string());
    } else {
        logger_.info("Downloading Parakeet EOU models to " + base.string() + "...");
        DownloadUtils::downloadRepo(repository, base, std::nullopt, {}, progressHandler);
    }
    loadModels(folder);
}

void StreamingEouAsrManager::loadModels(const std::filesystem::path& from) {
    const Lock lock(mutex_);
    namespace names = ModelNames::ParakeetEOU;
    logger_.info("Loading CoreML models from " + from.string() + "...");
    streamingEncoder_ = MLModel::load(from / names::encoderFile, configuration_);
    decoder_ = MLModel::load(from / names::decoderFile, configuration_);
    joint_ = MLModel::load(from / names::jointFile, configuration_);
    tokenizer_ = std::make_shared<const Tokenizer>(from / names::vocab);
    std::optional<MLModel> fused;
    const char* switchValue = std::getenv("TAMSEL_EOU_FUSED");
    if (switchValue && std::string(switchValue) == "1") {
        std::error_code ignored;
        if (std::filesystem::exists(from / fusedModelFile, ignored)) {
            fused = MLModel::load(from / fusedModelFile, configuration_);
            logger_.info("TAMSEL_EOU_FUSED=1: using fused decoder+joint_decision (1 dispatch per RNNT step)");
        } else {
            logger_.warning(std::string("TAMSEL_EOU_FUSED=1 set but ") + fusedModelFile + " not found in " +
                            from.string() + "; using reference decoder+joint path");
        }
    }
    rnntDecoder_ = std::make_unique<RnntDecoder>(*decoder_, *joint_, std::move(fused));
    resetStates();
    audioBuffer_.clear();
    logger_.info("Models loaded successfully.");
}

void StreamingEouAsrManager::resetStates() {
    const auto g = geometry(chunkSize_);
    auto preCache = EncoderCacheManager::createZeroArray({1, 128, g.preCacheSize}, MLMultiArrayDataType::float32);
    auto initial = EncoderCacheManager::createInitialCaches({{17, 1, 70, 512}, {17, 1, 512, 8}, {1}});
    caches_ = Caches{preCache, initial.channel, initial.time, initial.len};
}

void StreamingEouAsrManager::appendAudio(const platform::audio::PCMBuffer& buffer) {
    const Lock lock(mutex_);
    const auto samples = audioConverter_.resampleBuffer(buffer);
    audioBuffer_.insert(audioBuffer_.end(), samples.begin(), samples.end());
}

void StreamingEouAsrManager::processBufferedAudio() {
    const Lock lock(mutex_);
    const auto g = geometry(chunkSize_);
    const auto chunk = static_cast<std::size_t>(g.chunkSamples);
    while (audioBuffer_.size() >= chunk) {
        const std::vector<float> samples(audioBuffer_.begin(), audioBuffer_.begin() + static_cast<std::ptrdiff_t>(chunk));
        processChunk(samples);
        const auto shift = std::min(audioBuffer_.size(), static_cast<std::size_t>(g.shiftSamples));
        audioBuffer_.erase(audioBuffer_.begin(), audioBuffer_.begin() + static_cast<std::ptrdiff_t>(shift));
    }
}

std::string StreamingEouAsrManager::process(const platform::audio::PCMBuffer& audioBuffer) {
    const Lock lock(mutex_);
    appendAudio(audioBuffer);
    processBufferedAudio();
    return "";
}

void StreamingEouAsrManager::injectSilence(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) throw std::invalid_argument("silence duration must be finite and not negative");
    const Lock lock(mutex_);
    audioBuffer_.insert(audioBuffer_.end(), static_cast<std::size_t>(seconds * 16000), 0.0f);
}

std::string StreamingEouAsrManager::finish() {
    const Lock lock(mutex_);
    // A chunk decodes only the frames of its first shift; the rest of it is
    // look-ahead. So chunks go on, the last ones padded with zeros, until every
    // pending sample has been in a decoded shift. The padding stays out of the
    // buffer, so a chunk that fails leaves only real samples for a retry.
    const auto g = geometry(chunkSize_);
    const auto chunk = static_cast<std::size_t>(g.chunkSamples);
    const auto shift = static_cast<std::size_t>(g.shiftSamples);
    std::vector<float> samples(chunk);
    while (!audioBuffer_.empty()) {
        const auto real = std::min(chunk, audioBuffer_.size());
        std::copy_n(audioBuffer_.begin(), real, samples.begin());
        std::fill(samples.begin() + static_cast<std::ptrdiff_t>(real), samples.end(), 0.0f);
        processChunk(samples);
        audioBuffer_.erase(audioBuffer_.begin(),
                           audioBuffer_.begin() + static_cast<std::ptrdiff_t>(std::min(shift, audioBuffer_.size())));
    }
    audioBuffer_.clear();
    if (!tokenizer_) return "";
    auto text = tokenizer_->decode(accumulatedTokenIds_);
    accumulatedTokenIds_.clear();
    accumulatedTokenTimestampsMs_.clear();
    accumulatedRawTokenStrings_.clear();
    accumulatedEouTimestampsMs_.clear();
    return text;
}

void StreamingEouAsrManager::reset() {
    const Lock lock(mutex_);
    audioBuffer_.clear();
    accumulatedTokenIds_.clear();
    processedChunks_ = 0;
    accumulatedTokenTimestampsMs_.clear();
    accumulatedRawTokenStrings_.clear();
    accumulatedEouTimestampsMs_.clear();
    debugFeatureBuffer_.clear();
    eouDetected_ = false;
    eouFirstDetectedAt_.reset();
    totalSamplesProcessed_ = 0;
    try {
        resetStates();
    } catch (...) {
    }
    if (rnntDecoder_) rnntDecoder_->resetState();
}

void StreamingEouAsrManager::cleanup() noexcept {
    const Lock lock(mutex_);
    reset();
    streamingEncoder_.reset();
    decoder_.reset();
    joint_.reset();
    rnntDecoder_.reset();
    tokenizer_.reset();
    caches_.reset();
    logger_.info("StreamingEouAsrManager resources cleaned up");
}

void StreamingEouAsrManager::setEouCallback(TranscriptCallback callback) {
    const Lock lock(mutex_);
    eouCallback_ = std::move(callback);
}

void StreamingEouAsrManager::setPartialCallback(TranscriptCallback callback) {
    const Lock lock(mutex_);
    partialCallback_ = std::move(callback);
}

std::string StreamingEouAsrManager::getPartialTranscript() const {
    const Lock lock(mutex_);
    return tokenizer_ ? tokenizer_->decode(accumulatedTokenIds_) : std::string();
}

std::vector<std::int64_t> StreamingEouAsrManager::getTokenTimestampsMs() const {
    const Lock lock(mutex_);
    return accumulatedTokenTimestampsMs_;
}

std::vector<std::string> StreamingEouAsrManager::getRawTokenStrings() const {
    const Lock lock(mutex_);
    return accumulatedRawTokenStrings_;
}

std::vector<std::int64_t> StreamingEouAsrManager::getEouTimestampsMs() const {
    const Lock lock(mutex_);
    return accumulatedEouTimestampsMs_;
}

void StreamingEouAsrManager::saveDebugFeatures(const std::filesystem::path& to) const {
    const Lock lock(mutex_);
    const nlohmann::json json{{"mel_features", debugFeatureBuffer_}, {"count", debugFeatureBuffer_.size()}};
    std::ofstream file(to, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("Cannot write debug features to " + to.string());
    file << json.dump(2);
    if (!file) throw std::runtime_error("Cannot write debug features to " + to.string());
    logger_.info("Dumped " + std::to_string(debugFeatureBuffer_.size()) + " features to " + to.string());
}

int StreamingEouAsrManager::processedChunks() const {
    const Lock lock(mutex_);
    return processedChunks_;
}

std::size_t StreamingEouAsrManager::bufferedSampleCount() const {
    const Lock lock(mutex_);
    return audioBuffer_.size();
}

std::int64_t StreamingEouAsrManager::totalSamplesProcessed() const {
    const Lock lock(mutex_);
    return totalSamplesProcessed_;
}

bool StreamingEouAsrManager::hasEncoderCaches() const {
    const Lock lock(mutex_);
    return caches_.has_value();
}

} // namespace razeziruzer
