#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedAsrManager.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"

#include <algorithm>

namespace razeziruzer {

using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

ChunkProcessor merger() {
    return ChunkProcessor{std::make_shared<ArrayAudioSampleSource>(std::vector<float>{}), 0, AppLogger("ChunkProcessor"),
                          2.0, 1280, 0};
}

Vocabulary vocabulary(const Tokenizer& tokenizer) {
    Vocabulary table;
    for (const auto& [id, piece] : tokenizer.idToToken()) table.emplace(static_cast<int>(id), piece);
    return table;
}

} // namespace

UnifiedAsrManager::UnifiedAsrManager(std::optional<MLModelConfiguration> configuration, UnifiedConfig config,
                                     UnifiedEncoderPrecision encoderPrecision)
    : config_(config), encoderPrecision_(encoderPrecision), layout_{config},
      mlConfiguration_(configuration.value_or(UnifiedModelFiles::defaultConfiguration())) {}

platform::coreml::MLModelConfiguration UnifiedAsrManager::mlConfiguration() const {
    const Lock lock(mutex_);
    return mlConfiguration_;
}

void UnifiedAsrManager::loadModels(const std::filesystem::path& from) {
    const Lock lock(mutex_);
    logger_.info("Loading Parakeet Unified offline CoreML models from " + from.string() + "...");
    models_ = UnifiedModelSet::load(from, UnifiedModelFiles::Mode::offline, encoderPrecision_, mlConfiguration_, config_);
    logger_.info("Parakeet Unified offline models loaded (15 s window, 2 s overlap).");
}

void UnifiedAsrManager::loadModels(const std::optional<std::filesystem::path>& to,
                                   const std::optional<MLModelConfiguration>& configuration,
                                   const DownloadUtils::ProgressHandler& progressHandler) {
    const Lock lock(mutex_);
    if (configuration) mlConfiguration_ = *configuration;
    loadModels(UnifiedModelSet::ensureDownloaded(to, UnifiedModelFiles::Mode::offline, encoderPrecision_,
                                                 progressHandler, logger_, "offline "));
}

std::string UnifiedAsrManager::transcribe(std::span<const float> samples) {
    const Lock lock(mutex_);
    if (!models_) throw ASRError::notInitialized();
    const auto processor = merger();
    const auto spliceSafe = ChunkProcessor::spliceSafeTokenIds(vocabulary(*models_->tokenizer));
    const auto total = static_cast<std::int64_t>(samples.size());
    std::vector<TokenEntry> merged;
    for (const auto start : layout_.chunkStarts(total)) {
        const auto end = std::min(total, start + layout_.windowSamples());
        auto window = transcribeWindow(
            samples.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)), start);
        merged = merged.empty() ? std::move(window) : processor.mergeChunks(merged, window, spliceSafe);
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const TokenEntry& a, const TokenEntry& b) { return a.timestamp < b.timestamp; });
    std::vector<std::int64_t> ids;
    ids.reserve(merged.size());
    for (const auto& entry : merged) ids.push_back(entry.token);
    return models_->tokenizer->decode(ids);
}

std::string UnifiedAsrManager::transcribe(const platform::audio::PCMBuffer& buffer) {
    const auto samples = audioConverter_.resampleBuffer(buffer);
    return transcribe(samples);
}

std::vector<TokenEntry> UnifiedAsrManager::transcribeWindow(std::span<const float> samples, std::int64_t chunkStart) {
    const auto output = runUnifiedFrontEnd(models_->preprocessor, models_->encoder, samples, 15 * config_.sampleRate);
    models_->rnntDecoder->reset();
    const auto emissions =
        models_->rnntDecoder->decode(output.encoded, 0, output.validFrames, chunkStart / config_.frameSamples);
    std::vector<TokenEntry> tokens;
    tokens.reserve(emissions.size());
    for (const auto& emission : emissions) {
        tokens.push_back({static_cast<int>(emission.token), static_cast<int>(emission.frame), emission.prob, 0});
    }
    return tokens;
}

void UnifiedAsrManager::appendAudio(const platform::audio::PCMBuffer& buffer) {
    const Lock lock(mutex_);
    const auto converted = audioConverter_.resampleBuffer(buffer);
    bufferedSamples_.insert(bufferedSamples_.end(), converted.begin(), converted.end());
}

void UnifiedAsrManager::appendSamples(std::span<const float> samples) {
    const Lock lock(mutex_);
    bufferedSamples_.insert(bufferedSamples_.end(), samples.begin(), samples.end());
}

std::string UnifiedAsrManager::finish() {
    const Lock lock(mutex_);
    auto text = transcribe(bufferedSamples_);
    bufferedSamples_.clear();
    lastTranscript_ = text;
    if (partialCallback_) partialCallback_(text);
    return text;
}

void UnifiedAsrManager::reset() {
    const Lock lock(mutex_);
    bufferedSamples_.clear();
    lastTranscript_.clear();
    if (models_) models_->rnntDecoder->reset();
}

void UnifiedAsrManager::cleanup() noexcept {
    const Lock lock(mutex_);
    try {
        reset();
    } catch (...) {
    }
    models_.reset();
    logger_.info("UnifiedAsrManager resources cleaned up");
}

void UnifiedAsrManager::setPartialTranscriptCallback(TranscriptCallback callback) {
    const Lock lock(mutex_);
    partialCallback_ = std::move(callback);
}

std::string UnifiedAsrManager::getPartialTranscript() const {
    const Lock lock(mutex_);
    return lastTranscript_;
}

} // namespace razeziruzer
