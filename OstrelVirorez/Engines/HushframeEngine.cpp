#include "OstrelVirorez/Engines/HushframeEngine.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/TranscriptionResult.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Concurrency/SystemClock.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <chrono>
#include <utility>

namespace ostrelvirorez {

using platform::coreml::MLComputeUnits;

namespace {

// Samples are copied this many frames at a time.
constexpr std::int64_t conversionChunkFrames = 1024;

} // namespace

HushframeEngine::HushframeEngine()
    : HushframeEngine([](const hushframe::HushframeConfig& config) { return hushframe::Hushframe::create(config); },
                      platform::SystemClock::shared()) {}

HushframeEngine::HushframeEngine(PipelineFactory makePipeline, const platform::Clock& clock)
    : makePipeline_(std::move(makePipeline)), clock_(clock) {}

HushframeEngine::~HushframeEngine() = default;

hushframe::HushframeConfig HushframeEngine::configuration() {
    hushframe::HushframeConfig config;
    config.model = "large-v3_turbo";
    config.computeOptions = hushframe::ModelComputeOptions(MLComputeUnits::cpuAndGPU, MLComputeUnits::cpuAndNeuralEngine,
                                                           MLComputeUnits::cpuAndNeuralEngine);
    config.verbose = true;
    config.logLevel = pelluxcore::Logging::LogLevel::info;
    config.prewarm = true;
    config.load = std::nullopt;
    config.download = true;
    config.useBackgroundDownloadSession = false;
    return config;
}

hushframe::DecodingOptions HushframeEngine::decodingOptions(const std::optional<std::string>& languageHint) {
    hushframe::DecodingOptions::Arguments arguments;
    arguments.verbose = false;
    arguments.task = hushframe::DecodingTask::transcribe;
    if (languageHint && !languageHint->empty()) arguments.language = *languageHint;
    arguments.temperature = 0.0F;
    arguments.temperatureIncrementOnFallback = 0.2F;
    arguments.temperatureFallbackCount = 5;
    arguments.sampleLength = hushframe::Constants::maxTokenContext;
    arguments.topK = 5;
    arguments.usePrefillPrompt = true;
    arguments.detectLanguage = std::nullopt;
    arguments.skipSpecialTokens = false;
    arguments.withoutTimestamps = false;
    arguments.wordTimestamps = false;
    arguments.clipTimestamps = {};
    arguments.windowClipTime = 1.0F;
    arguments.suppressBlank = false;
    arguments.suppressTokens = std::nullopt;
    arguments.compressionRatioThreshold = 2.4F;
    arguments.logProbThreshold = -1.0F;
    arguments.firstTokenLogProbThreshold = -1.5F;
    arguments.noSpeechThreshold = 0.6F;
    arguments.concurrentWorkerCount = std::nullopt;
    arguments.chunkingStrategy = std::nullopt;
    return hushframe::DecodingOptions(arguments);
}

void HushframeEngine::load() {
    std::shared_ptr<hushframe::Hushframe> pipe = makePipeline_(configuration());
    std::shared_ptr<hushframe::Hushframe> previous;
    {
        const std::lock_guard lock(handleMutex_);
        previous = std::exchange(pipe_, std::move(pipe));
        isLoaded_ = true;
    }
    if (previous) {
        const std::lock_guard running(pipelineMutex_);
        previous->unloadModels();
    }
    logVirorez("HushframeEngine: loaded large-v3-turbo");
}

void HushframeEngine::unload() {
    std::shared_ptr<hushframe::Hushframe> pipe;
    {
        const std::lock_guard lock(handleMutex_);
        pipe = std::exchange(pipe_, nullptr);
        isLoaded_ = false;
    }
    if (!pipe) return;
    // A transcription still running finishes before the models go.
    const std::lock_guard running(pipelineMutex_);
    pipe->unloadModels();
}

TranscriptionResult HushframeEngine::transcribe(const platform::audio::PCMBuffer& buffer,
                                                const std::optional<std::string>& languageHint) {
    std::shared_ptr<hushframe::Hushframe> pipe;
    {
        const std::lock_guard lock(handleMutex_);
        if (!pipe_ || !isLoaded_) throw EngineError::notLoaded();
        pipe = pipe_;
    }
    const double start = secondsNow();
    // The conversion empties what it copies; the caller's recording stays intact.
    platform::audio::PCMBuffer copy = buffer;
    const std::vector<float> samples = hushframe::AudioProcessor::convertBufferToArray(copy, conversionChunkFrames);
    const auto options = decodingOptions(languageHint);
    const std::lock_guard running(pipelineMutex_);
    {
        // Unloaded or replaced while this call waited for its turn.
        const std::lock_guard lock(handleMutex_);
        if (pipe_ != pipe) throw EngineError::notLoaded();
    }
    const auto results = pipe->transcribe(samples, options);
    return makeResult(results, secondsNow() - start);
}

TranscriptionResult HushframeEngine::makeResult(const std::vector<std::shared_ptr<hushframe::TranscriptionResult>>& results,
                                                double duration) {
    std::string joined;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (i > 0) joined += ' ';
        joined += results[i]->text();
    }
    TranscriptionResult result;
    result.text = platform::text::trimWhitespaceAndNewlines(joined);
    if (!results.empty()) result.language = results.front()->language();
    result.duration = duration;
    return result;
}

double HushframeEngine::secondsNow() const {
    return std::chrono::duration<double>(clock_.now().time_since_epoch()).count();
}

} // namespace ostrelvirorez
