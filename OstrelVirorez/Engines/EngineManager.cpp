#include "OstrelVirorez/Engines/EngineManager.hpp"

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <utility>

namespace ostrelvirorez {

EngineManager::EngineManager(platform::MainQueue& mainQueue, EngineFactory makeEngine)
    : mainQueue_(mainQueue), makeEngine_(std::move(makeEngine)) {}

std::shared_ptr<TranscriptionEngine> EngineManager::currentEngine() const {
    std::lock_guard lock(mutex_);
    return currentEngine_;
}

std::optional<EngineType> EngineManager::currentType() const {
    std::lock_guard lock(mutex_);
    return currentType_;
}

bool EngineManager::isLoading() const {
    std::lock_guard lock(mutex_);
    return isLoading_;
}

EngineStatus EngineManager::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

void EngineManager::loadEngine(EngineType type) {
    std::lock_guard turn(loadTurn_);
    replaceEngine(type);
}

EngineManager::EngineRequest EngineManager::requestEngine(EngineType type) {
    std::lock_guard lock(mutex_);
    return EngineRequest{type, ++latestRequest_};
}

bool EngineManager::loadRequested(const EngineRequest& request) {
    std::lock_guard turn(loadTurn_);
    {
        std::lock_guard lock(mutex_);
        if (request.number != latestRequest_) return false;
    }
    replaceEngine(request.type);
    return true;
}

void EngineManager::replaceEngine(EngineType type) {
    if (const auto previous = currentEngine()) previous->unload();
    setCurrentEngine(nullptr);
    setCurrentType(std::nullopt);
    setIsLoading(true);
    setStatus(EngineStatus::downloading());
    publishLoaded(loadAdapter(type, false), type);
}

void EngineManager::ensureLoaded(EngineType type) {
    std::lock_guard turn(loadTurn_);
    const auto previous = currentEngine();
    if (currentType() == type && previous && previous->isLoaded()) return;
    const bool previousServes = previous && previous->isLoaded();
    setIsLoading(true);
    setStatus(EngineStatus::downloading());
    const auto engine = loadAdapter(type, previousServes);
    publishLoaded(engine, type);
    if (previous && previous != engine) previous->unload();
}

TranscriptionResult EngineManager::transcribe(const platform::audio::PCMBuffer& buffer,
                                              const std::optional<std::string>& languageHint) {
    const auto engine = currentEngine();
    if (!engine || !engine->isLoaded()) throw EngineError::notLoaded();
    return engine->transcribe(buffer, languageHint);
}

std::shared_ptr<TranscriptionEngine> EngineManager::loadAdapter(EngineType type, bool anotherServes) {
    try {
        auto engine = makeEngine_(type);
        setStatus(EngineStatus::loading());
        engine->load();
        return engine;
    } catch (...) {
        setIsLoading(false);
        // The status describes the engine in use: while another one goes on
        // serving it stays ready (the caller reports the failure); otherwise
        // it shows the error's own description.
        setStatus(anotherServes ? EngineStatus::ready()
                                : EngineStatus::error(describeError(std::current_exception())));
        throw;
    }
}

void EngineManager::publishLoaded(std::shared_ptr<TranscriptionEngine> engine, EngineType type) {
    const auto name = engine->name();
    setCurrentEngine(std::move(engine));
    setCurrentType(type);
    setIsLoading(false);
    setStatus(EngineStatus::ready());
    logVirorez("Engine loaded: " + name);
}

void EngineManager::setCurrentEngine(std::shared_ptr<TranscriptionEngine> engine) {
    assign(currentEngine_, std::move(engine), &Published::currentEngine);
}

void EngineManager::setCurrentType(std::optional<EngineType> type) {
    assign(currentType_, type, &Published::currentType);
}

void EngineManager::setIsLoading(bool loading) { assign(isLoading_, loading, &Published::isLoading); }

void EngineManager::setStatus(EngineStatus status) { assign(status_, std::move(status), &Published::status); }

template <typename T>
void EngineManager::assign(T& field, T value, platform::Signal<T> Published::*signal) {
    std::lock_guard lock(mutex_);
    if (field == value) return;
    field = value;
    // Posting under the lock keeps the deliveries in the order of the changes.
    mainQueue_.post([published = std::weak_ptr<Published>(published_), signal, value = std::move(value)] {
        if (const auto alive = published.lock()) ((*alive).*signal).emit(value);
    });
}

} // namespace ostrelvirorez
