#pragma once
// Owns the one active speech engine, loads engines on request, publishes the
// loading state and hands recordings to the current engine.
//
// loadEngine(), ensureLoaded() and transcribe() block; the application calls
// them off the main queue. Loads are served one at a time in the order they
// were asked for, so overlapping requests (start-up, the engine picker, a
// profile's engine) never interleave and one engine ends loaded. The getters
// read the manager's state at once from any thread; the change signals
// deliver each change on the main queue, in the order the changes happened.

#include "OstrelVirorez/Engines/EngineFactory.hpp"
#include "OstrelVirorez/Engines/EngineStatus.hpp"
#include "OstrelVirorez/Engines/TicketLock.hpp"
#include "OstrelVirorez/Engines/TranscriptionResult.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace platform {
class MainQueue;
namespace audio {
class PCMBuffer;
}
} // namespace platform

namespace ostrelvirorez {

class TranscriptionEngine;

class EngineManager {
public:
    // One choice of engine, numbered in the order the choices were made.
    struct EngineRequest {
        EngineType type;
        std::uint64_t number;
    };

    // `mainQueue` must outlive the manager.
    explicit EngineManager(platform::MainQueue& mainQueue, EngineFactory makeEngine = defaultEngineFactory());
    EngineManager(const EngineManager&) = delete;
    EngineManager& operator=(const EngineManager&) = delete;

    std::shared_ptr<TranscriptionEngine> currentEngine() const;
    std::optional<EngineType> currentType() const;
    bool isLoading() const;
    EngineStatus status() const;

    platform::Signal<std::shared_ptr<TranscriptionEngine>>& currentEngineChanged() {
        return published_->currentEngine;
    }
    platform::Signal<std::optional<EngineType>>& currentTypeChanged() { return published_->currentType; }
    platform::Signal<bool>& isLoadingChanged() { return published_->isLoading; }
    platform::Signal<EngineStatus>& statusChanged() { return published_->status; }

    // Unloads the current engine, then loads a fresh adapter of `type`. On
    // failure no engine is current, the status carries the error's text and
    // the error is rethrown.
    void loadEngine(EngineType type);

    // Nothing to do when `type` is current and loaded. Otherwise a fresh
    // adapter of `type` is loaded while the current engine stays in place;
    // only once it is ready does it become current and the old engine is
    // unloaded. On failure the error is rethrown and the old engine stays
    // current; the status returns to `ready` when that engine is loaded, and
    // carries the error's text only when no engine serves.
    void ensureLoaded(EngineType type);

    // Records `type` as the engine wanted from now on, superseding every
    // earlier request; call it where the choice is made, in choice order.
    EngineRequest requestEngine(EngineType type);

    // In its turn, loads the request's engine as loadEngine() does, unless a
    // later request has been made by then: that one loads instead, and this
    // one returns false without touching the engines. A later request made
    // while this one loads waits for it and then replaces its engine.
    bool loadRequested(const EngineRequest& request);

    // Runs the current engine; throws EngineError.notLoaded without a loaded
    // engine. The buffer and the result pass unchanged.
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint);

private:
    struct Published {
        platform::Signal<std::shared_ptr<TranscriptionEngine>> currentEngine;
        platform::Signal<std::optional<EngineType>> currentType;
        platform::Signal<bool> isLoading;
        platform::Signal<EngineStatus> status;
    };

    // Creates and loads an adapter, publishing the loading steps. The error of
    // its load() is rethrown, and published unless `anotherServes` (a loaded
    // engine stays current), when the status returns to ready.
    std::shared_ptr<TranscriptionEngine> loadAdapter(EngineType type, bool anotherServes);
    void publishLoaded(std::shared_ptr<TranscriptionEngine> engine, EngineType type);
    // The body of loadEngine(), for a caller that holds the load turn.
    void replaceEngine(EngineType type);

    void setCurrentEngine(std::shared_ptr<TranscriptionEngine> engine);
    void setCurrentType(std::optional<EngineType> type);
    void setIsLoading(bool loading);
    void setStatus(EngineStatus status);

    // Sets `field` and, when it changed, posts the change to the main queue.
    template <typename T>
    void assign(T& field, T value, platform::Signal<T> Published::*signal);

    platform::MainQueue& mainQueue_;
    EngineFactory makeEngine_;
    TicketLock loadTurn_;
    mutable std::mutex mutex_;
    std::uint64_t latestRequest_ = 0;
    std::shared_ptr<TranscriptionEngine> currentEngine_;
    std::optional<EngineType> currentType_;
    bool isLoading_ = false;
    EngineStatus status_ = EngineStatus::idle();
    std::shared_ptr<Published> published_ = std::make_shared<Published>();
};

} // namespace ostrelvirorez
