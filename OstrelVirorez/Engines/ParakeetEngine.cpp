#include "OstrelVirorez/Engines/ParakeetEngine.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Concurrency/SystemClock.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"
#include "RazeziRuzer/Shared/RawValue.hpp"

#include <chrono>
#include <utility>

namespace ostrelvirorez {

using razeziruzer::AsrManager;
using razeziruzer::AsrModels;
using razeziruzer::AsrModelVersion;
using razeziruzer::ParakeetEncoderPrecision;

ParakeetEngine::ParakeetEngine() : ParakeetEngine(platform::SystemClock::shared()) {}

ParakeetEngine::ParakeetEngine(const platform::Clock& clock) : clock_(clock) {}

ParakeetEngine::~ParakeetEngine() = default;

void ParakeetEngine::load() {
    const auto folder =
        AsrModels::download(std::nullopt, false, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    const auto models =
        AsrModels::load(folder, std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    auto manager = std::make_shared<AsrManager>(razeziruzer::ASRConfig::default_(), std::nullopt);
    manager->loadModels(models);
    {
        const std::lock_guard lock(mutex_);
        asrManager_ = std::move(manager);
        isLoaded_ = true;
    }
    logVirorez("ParakeetEngine: loaded Parakeet TDT v3");
}

void ParakeetEngine::unload() {
    std::shared_ptr<AsrManager> manager;
    {
        const std::lock_guard lock(mutex_);
        manager = std::exchange(asrManager_, nullptr);
        isLoaded_ = false;
    }
    if (manager) manager->cleanup();
}

TranscriptionResult ParakeetEngine::transcribe(const platform::audio::PCMBuffer& buffer,
                                               const std::optional<std::string>& languageHint) {
    std::shared_ptr<AsrManager> manager;
    {
        const std::lock_guard lock(mutex_);
        if (!asrManager_ || !isLoaded_) throw EngineError::notLoaded();
        manager = asrManager_;
    }
    const double start = secondsNow();
    auto state = razeziruzer::TdtDecoderState::make(manager->decoderLayerCount());
    const auto result = manager->transcribe(buffer, state, recogniserLanguage(languageHint));
    const double end = secondsNow();
    return makeResult(result, end - start);
}

std::optional<razeziruzer::Language> ParakeetEngine::recogniserLanguage(const std::optional<std::string>& hint) {
    if (!hint) return std::nullopt;
    return razeziruzer::fromRawValue<razeziruzer::Language>(*hint);
}

TranscriptionResult ParakeetEngine::makeResult(const razeziruzer::ASRResult& result, double duration) {
    TranscriptionResult mapped;
    mapped.text = result.text;
    mapped.confidence = result.confidence;
    mapped.duration = duration;
    if (result.tokenTimings) {
        std::vector<TranscriptionSegment> segments;
        segments.reserve(result.tokenTimings->size());
        for (const auto& timing : *result.tokenTimings) {
            segments.push_back({timing.token, timing.startTime, timing.endTime});
        }
        mapped.segments = std::move(segments);
    }
    return mapped;
}

double ParakeetEngine::secondsNow() const {
    return std::chrono::duration<double>(clock_.now().time_since_epoch()).count();
}

} // namespace ostrelvirorez
