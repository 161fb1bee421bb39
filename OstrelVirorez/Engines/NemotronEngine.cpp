#include "OstrelVirorez/Engines/NemotronEngine.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Concurrency/SystemClock.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"

#include <chrono>
#include <utility>

namespace ostrelvirorez {

NemotronEngine::NemotronEngine()
    : NemotronEngine([] { return std::make_unique<razeziruzer::StreamingNemotronAsrManager>(); },
                     platform::SystemClock::shared()) {}

NemotronEngine::NemotronEngine(ManagerFactory makeManager, const platform::Clock& clock)
    : makeManager_(std::move(makeManager)), clock_(clock) {}

NemotronEngine::~NemotronEngine() = default;

void NemotronEngine::load() {
    std::shared_ptr<razeziruzer::StreamingAsrManager> manager = makeManager_();
    manager->loadModels();
    std::shared_ptr<razeziruzer::StreamingAsrManager> previous;
    {
        const std::lock_guard lock(handleMutex_);
        previous = std::exchange(manager_, std::move(manager));
        isLoaded_ = true;
    }
    if (previous) {
        const std::lock_guard stream(streamMutex_);
        previous->cleanup();
    }
    logVirorez("NemotronEngine: loaded Nemotron 3.5");
}

void NemotronEngine::unload() {
    std::shared_ptr<razeziruzer::StreamingAsrManager> manager;
    {
        const std::lock_guard lock(handleMutex_);
        manager = std::exchange(manager_, nullptr);
        isLoaded_ = false;
    }
    if (!manager) return;
    // A transcription still running finishes before the models go.
    const std::lock_guard stream(streamMutex_);
    manager->cleanup();
}

TranscriptionResult NemotronEngine::transcribe(const platform::audio::PCMBuffer& buffer,
                                               const std::optional<std::string>&) {
    std::shared_ptr<razeziruzer::StreamingAsrManager> manager;
    {
        const std::lock_guard lock(handleMutex_);
        if (!manager_ || !isLoaded_) throw EngineError::notLoaded();
        manager = manager_;
    }
    const std::lock_guard stream(streamMutex_);
    {
        // Unloaded or replaced while this call waited for its turn.
        const std::lock_guard lock(handleMutex_);
        if (manager_ != manager) throw EngineError::notLoaded();
    }
    const double start = secondsNow();
    manager->reset();
    manager->appendAudio(buffer);
    manager->processBufferedAudio();
    TranscriptionResult result;
    result.text = manager->finish();
    result.duration = secondsNow() - start;
    return result;
}

double NemotronEngine::secondsNow() const {
    return std::chrono::duration<double>(clock_.now().time_since_epoch()).count();
}

} // namespace ostrelvirorez
