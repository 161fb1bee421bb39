#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"

#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Concurrency/ThreadPool.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"
#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"
#include "RazeziRuzer/Shared/AudioSourceFactory.hpp"
#include "RazeziRuzer/Shared/MLArrayCache.hpp"

#include <cmath>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArrayDataType;

constexpr std::int64_t windowSamples = ASRConstants::maxModelSamples;

void prewarmPassArrays() {
    sharedMLArrayCache().prewarm({{{1, windowSamples}, MLMultiArrayDataType::float32},
                                  {{1}, MLMultiArrayDataType::int32},
                                  {{2, 1, 640}, MLMultiArrayDataType::float32}});
}

void clearArrayCacheInBackground() {
    platform::ThreadPool::shared().execute([] { sharedMLArrayCache().clear(); });
}

// Samples the file holds once converted to `targetRate`. A file whose format
// reports no usable rate is rejected rather than estimated as infinitely long.
std::int64_t estimatedSampleCount(const std::filesystem::path& url, std::int64_t targetRate, double fileRate,
                                  std::int64_t frames) {
    if (!std::isfinite(fileRate) || fileRate <= 0) {
        throw ASRError::fileAccessFailed(
            url, std::make_exception_ptr(platform::Error("The file reports an invalid sample rate of " +
                                                         std::to_string(fileRate) + " Hz")));
    }
    return static_cast<std::int64_t>(
        std::ceil(static_cast<double>(targetRate) / fileRate * static_cast<double>(frames)));
}

} // namespace

bool AsrManager::Installed::isAvailable() const {
    if (!decoder || !joint || !preprocessor) return false;
    return encoder || !models || models->version == AsrModelVersion::tdtCtc110m;
}

AsrManager::AsrManager(ASRConfig config, std::optional<AsrModels> models) : config_(std::move(config)) {
    if (models) install(*models);
    platform::ThreadPool::shared().execute(prewarmPassArrays);
    platform::ThreadPool::shared().execute([emitter = progressEmitter_] { emitter->ensureSession(); });
}

AsrManager::Installed AsrManager::snapshot() const {
    const std::lock_guard lock(mutex_);
    if (!installed_.predictionOptions) installed_.predictionOptions = platform::coreml::MLPredictionOptions{};
    return installed_;
}

void AsrManager::install(const AsrModels& models) {
    const std::lock_guard lock(mutex_);
    installed_.models = models;
    installed_.preprocessor = models.preprocessor;
    installed_.encoder = models.encoder;
    installed_.decoder = models.decoder;
    installed_.joint = models.joint;
    installed_.vocabulary = std::make_shared<const Vocabulary>(models.vocabulary);
}

std::optional<platform::coreml::MLModel> AsrManager::preprocessorModel() const { return snapshot().preprocessor; }
std::optional<platform::coreml::MLModel> AsrManager::encoderModel() const { return snapshot().encoder; }
std::optional<platform::coreml::MLModel> AsrManager::decoderModel() const { return snapshot().decoder; }
std::optional<platform::coreml::MLModel> AsrManager::jointModel() const { return snapshot().joint; }
std::optional<AsrModels> AsrManager::asrModels() const { return snapshot().models; }
Vocabulary AsrManager::vocabulary() const { return *snapshot().vocabulary; }
platform::coreml::MLPredictionOptions AsrManager::predictionOptions() const { return *snapshot().predictionOptions; }

void AsrManager::setPreprocessorModel(std::optional<MLModel> model) {
    const std::lock_guard lock(mutex_);
    installed_.preprocessor = std::move(model);
}

void AsrManager::setEncoderModel(std::optional<MLModel> model) {
    const std::lock_guard lock(mutex_);
    installed_.encoder = std::move(model);
}

void AsrManager::setDecoderModel(std::optional<MLModel> model) {
    const std::lock_guard lock(mutex_);
    installed_.decoder = std::move(model);
}

void AsrManager::setJointModel(std::optional<MLModel> model) {
    const std::lock_guard lock(mutex_);
    installed_.joint = std::move(model);
}

void AsrManager::setAsrModels(std::optional<AsrModels> models) {
    const std::lock_guard lock(mutex_);
    installed_.models = std::move(models);
}

void AsrManager::setVocabulary(Vocabulary vocabulary) {
    const std::lock_guard lock(mutex_);
    installed_.vocabulary = std::make_shared<const Vocabulary>(std::move(vocabulary));
}

void AsrManager::setPredictionOptions(platform::coreml::MLPredictionOptions options) {
    const std::lock_guard lock(mutex_);
    installed_.predictionOptions = std::move(options);
}

int AsrManager::decoderLayerCount() const {
    const auto version = modelVersion();
    return version ? decoderLayers(*version) : 2;
}

std::optional<AsrModelVersion> AsrManager::modelVersion() const {
    const std::lock_guard lock(mutex_);
    if (!installed_.models) return std::nullopt;
    return installed_.models->version;
}

std::unique_ptr<AsrManager> AsrManager::makeWorkerClone() const {
    auto models = asrModels();
    if (!models) return nullptr;
    return std::make_unique<AsrManager>(config_, std::move(models));
}

ProgressStream AsrManager::transcriptionProgressStream() { return progressEmitter_->ensureSession(); }

bool AsrManager::isAvailable() const {
    const std::lock_guard lock(mutex_);
    return installed_.isAvailable();
}

void AsrManager::loadModels(const AsrModels& models) {
    logger_.info("Loading AsrManager with provided models");
    install(models);
    logger_.info("AsrManager loaded successfully with provided models");
}

void AsrManager::reset() { clearArrayCacheInBackground(); }

void AsrManager::cleanup() {
    {
        const std::lock_guard lock(mutex_);
        installed_.models.reset();
        installed_.preprocessor.reset();
        installed_.encoder.reset();
        installed_.decoder.reset();
        installed_.joint.reset();
    }
    clearArrayCacheInBackground();
    logger_.info("AsrManager resources cleaned up");
}

AsrManager::ProgressHandler AsrManager::progressForwarder() const {
    return [emitter = std::weak_ptr<ProgressEmitter>(progressEmitter_)](double progress) {
        if (const auto alive = emitter.lock()) alive->report(progress);
    };
}

ASRResult AsrManager::transcribe(const platform::audio::PCMBuffer& buffer, TdtDecoderState& decoderState,
                                 std::optional<Language> language, std::stop_token stop) {
    const auto samples = audioConverter_.resampleBuffer(buffer);
    return transcribe(std::span<const float>(samples), decoderState, language, std::move(stop));
}

ASRResult AsrManager::transcribe(std::span<const float> samples, TdtDecoderState& decoderState,
                                 std::optional<Language> language, std::stop_token stop) {
    const bool long_ = static_cast<std::int64_t>(samples.size()) > windowSamples;
    if (long_) progressEmitter_->ensureSession();
    try {
        auto result = transcribeWithState(samples, decoderState, language, std::move(stop));
        if (long_) progressEmitter_->finishSession();
        return result;
    } catch (...) {
        if (long_) progressEmitter_->failSession(std::current_exception());
        throw;
    }
}

ASRResult AsrManager::transcribe(const std::filesystem::path& url, TdtDecoderState& decoderState,
                                 std::optional<Language> language, std::stop_token stop) {
    if (config_.streamingEnabled()) {
        std::int64_t estimate = 0;
        {
            const platform::audio::AudioFile file(url);
            estimate = estimatedSampleCount(url, config_.sampleRate(), file.processingFormat().sampleRate(),
                                            file.length());
        }
        if (estimate > config_.streamingThreshold()) {
            return transcribeDiskBacked(url, decoderState, language, std::move(stop));
        }
    }
    const auto samples = audioConverter_.resampleAudioFile(url);
    return transcribe(std::span<const float>(samples), decoderState, language, std::move(stop));
}

ASRResult AsrManager::transcribeDiskBacked(const std::filesystem::path& url, TdtDecoderState& /*decoderState*/,
                                           std::optional<Language> language, std::stop_token stop) {
    if (!isAvailable()) throw ASRError::notInitialized();
    const auto startTime = std::chrono::system_clock::now();
    auto made = AudioSourceFactory().makeDiskBackedSource(url, static_cast<int>(config_.sampleRate()));
    auto source = std::make_shared<const DiskBackedAudioSampleSource>(std::move(made.source));
    const auto count = source->sampleCount();
    if (count < ASRConstants::minimumRequiredSamples(static_cast<int>(config_.sampleRate()))) {
        source->cleanup();
        throw ASRError::invalidAudioData();
    }
    const bool long_ = count > windowSamples;
    if (long_) progressEmitter_->ensureSession();
    try {
        auto result = transcribeLongAudio(source, language, startTime, std::move(stop));
        source->cleanup();
        if (long_) progressEmitter_->finishSession();
        return result;
    } catch (...) {
        source->cleanup();
        if (long_) progressEmitter_->failSession(std::current_exception());
        throw;
    }
}

ASRResult AsrManager::transcribeLongAudio(std::shared_ptr<const AudioSampleSource> source,
                                          std::optional<Language> language,
                                          std::chrono::system_clock::time_point startTime, std::stop_token stop) {
    const auto total = source->sampleCount();
    const ChunkProcessor processor{std::move(source), total, AppLogger("ChunkProcessor"), 2.0,
                                   ASRConstants::samplesPerEncoderFrame, 0};
    return processor.process(*this, startTime, progressForwarder(), language, std::move(stop));
}

std::string AsrManager::normalizedTimingToken(std::string_view token) {
    std::string text(token);
    const std::string_view mark = ASRConstants::sentencePieceWordBoundary;
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) text.replace(at, mark.size(), " ");
    return text;
}

} // namespace razeziruzer
