#include "RazeziRuzer/ASR/Parakeet/Unified/StreamingUnifiedAsrManager.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedText.hpp"

#include <algorithm>

namespace razeziruzer {

using Lock = std::lock_guard<std::recursive_mutex>;

StreamingUnifiedAsrManager::StreamingUnifiedAsrManager(std::optional<MLModelConfiguration> configuration,
                                                       UnifiedConfig config, UnifiedEncoderPrecision encoderPrecision)
    : config_(config), encoderPrecision_(encoderPrecision), windower_{config},
      mlConfiguration_(configuration.value_or(UnifiedModelFiles::defaultConfiguration())) {}

std::string StreamingUnifiedAsrManager::displayName() const {
    return "Parakeet Unified 0.6B (" + std::to_string(config_.latencyMs()) + "ms)";
}

platform::coreml::MLModelConfiguration StreamingUnifiedAsrManager::mlConfiguration() const {
    const Lock lock(mutex_);
    return mlConfiguration_;
}

void StreamingUnifiedAsrManager::loadModels(const std::filesystem::path& from) {
    const Lock lock(mutex_);
    logger_.info("Loading Parakeet Unified CoreML models from " + from.string() + "...");
    models_ = UnifiedModelSet::load(from, UnifiedModelFiles::Mode::streaming, encoderPrecision_, mlConfiguration_, config_);
    logger_.info("Parakeet Unified models loaded (latency " + std::to_string(config_.latencyMs()) + "ms).");
}

void StreamingUnifiedAsrManager::loadModels(const std::optional<std::filesystem::path>& to,
                                            const std::optional<MLModelConfiguration>& configuration,
                                            const DownloadUtils::ProgressHandler& progressHandler) {
    const Lock lock(mutex_);
    if (configuration) mlConfiguration_ = *configuration;
    loadModels(UnifiedModelSet::ensureDownloaded(to, UnifiedModelFiles::Mode::streaming, encoderPrecision_,
                                                 progressHandler, logger_, ""));
}

void StreamingUnifiedAsrManager::appendAudio(const platform::audio::PCMBuffer& buffer) {
    const Lock lock(mutex_);
    const auto converted = audioConverter_.resampleBuffer(buffer);
    samples_.insert(samples_.end(), converted.begin(), converted.end());
}

void StreamingUnifiedAsrManager::appendSamples(std::span<const float> samples) {
    const Lock lock(mutex_);
    samples_.insert(samples_.end(), samples.begin(), samples.end());
}

void StreamingUnifiedAsrManager::processBufferedAudio() {
    const Lock lock(mutex_);
    if (!models_) throw ASRError::notInitialized();
    processAvailable(false);
}

std::string StreamingUnifiedAsrManager::finish() {
    const Lock lock(mutex_);
    if (!models_) throw ASRError::notInitialized();
    processAvailable(true);
    return trimSpacesAndTabs(transcriptCache_);
}

void StreamingUnifiedAsrManager::processAvailable(bool isFinal) {
    for (;;) {
        // Planning moves the windower on; a window that fails puts it back.
        const auto before = windower_;
        const auto plan = windower_.nextWindow(samplesGlobalStart_ + static_cast<std::int64_t>(samples_.size()), isFinal);
        if (!plan) return;
        bool emitted = false;
        try {
            emitted = processWindow(*plan);
        } catch (...) {
            windower_ = before;
            throw;
        }
        trimSamples();
        if (emitted && partialCallback_) partialCallback_(trimSpacesAndTabs(transcriptCache_));
    }
}

bool StreamingUnifiedAsrManager::processWindow(const UnifiedStreamingWindower::Plan& plan) {
    const auto localStart = plan.startSample - samplesGlobalStart_;
    const auto localEnd = plan.endSample - samplesGlobalStart_;
    if (localStart < 0 || static_cast<std::int64_t>(samples_.size()) < localEnd) {
        throw ASRError::processingFailed("Streaming window out of range (trimmed too aggressively)");
    }
    const auto output = runUnifiedFrontEnd(
        models_->preprocessor, models_->encoder,
        std::span<const float>(samples_).subspan(static_cast<std::size_t>(localStart),
                                                 static_cast<std::size_t>(localEnd - localStart)),
        config_.windowSamples());
    const auto from = windower_.decodedFrames - plan.startFrame;
    const auto to = output.validFrames - plan.holdBackFrames;
    if (from < 0 || to <= from) {
        ++processedChunks_;
        return false;
    }
    const auto emissions = models_->rnntDecoder->decode(output.encoded, from, to, plan.startFrame);
    windower_.decodedFrames += to - from;
    appendEmissions(emissions);
    ++processedChunks_;
    return !emissions.empty();
}

void StreamingUnifiedAsrManager::appendEmissions(const std::vector<UnifiedRnntDecoder::Emission>& emissions) {
    const auto frameSeconds = config_.frameSeconds();
    for (const auto& emission : emissions) {
        accumulatedTokenIds_.push_back(emission.token);
        const auto piece = models_->tokenizer->piece(emission.token);
        if (!piece) continue;
        const auto text = pieceText(*piece);
        transcriptCache_ += text;
        const auto start = static_cast<double>(emission.frame) * frameSeconds;
        if (!pendingTokenTimings_.empty() && pendingTokenTimings_.back().endTime > start) {
            auto& previous = pendingTokenTimings_.back();
            previous.endTime = std::max(start, previous.startTime);
        }
        pendingTokenTimings_.push_back({text, emission.token, start, start + frameSeconds, emission.prob});
    }
}

void StreamingUnifiedAsrManager::trimSamples() {
    const auto keepFrom = windower_.consumedSamples - config_.windowSamples();
    const auto drop = keepFrom - samplesGlobalStart_;
    if (drop > 0 && static_cast<std::int64_t>(samples_.size()) >= drop) {
        samples_.erase(samples_.begin(), samples_.begin() + drop);
        samplesGlobalStart_ = keepFrom;
    }
}

void StreamingUnifiedAsrManager::reset() {
    const Lock lock(mutex_);
    samples_.clear();
    samplesGlobalStart_ = 0;
    windower_.reset();
    accumulatedTokenIds_.clear();
    transcriptCache_.clear();
    pendingTokenTimings_.clear();
    processedChunks_ = 0;
    if (models_) models_->rnntDecoder->reset();
}

void StreamingUnifiedAsrManager::cleanup() noexcept {
    const Lock lock(mutex_);
    try {
        reset();
    } catch (...) {
    }
    models_.reset();
    logger_.info("StreamingUnifiedAsrManager resources cleaned up");
}

void StreamingUnifiedAsrManager::setPartialTranscriptCallback(TranscriptCallback callback) {
    const Lock lock(mutex_);
    partialCallback_ = std::move(callback);
}

std::string StreamingUnifiedAsrManager::getPartialTranscript() const {
    const Lock lock(mutex_);
    return trimSpacesAndTabs(transcriptCache_);
}

std::vector<TokenTiming> StreamingUnifiedAsrManager::consumeTokenTimings() {
    const Lock lock(mutex_);
    return std::exchange(pendingTokenTimings_, {});
}

std::vector<std::int64_t> StreamingUnifiedAsrManager::accumulatedTokenIds() const {
    const Lock lock(mutex_);
    return accumulatedTokenIds_;
}

int StreamingUnifiedAsrManager::processedChunks() const {
    const Lock lock(mutex_);
    return processedChunks_;
}

std::size_t StreamingUnifiedAsrManager::retainedSampleCount() const {
    const Lock lock(mutex_);
    return samples_.size();
}

} // namespace razeziruzer
