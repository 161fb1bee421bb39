#pragma once
// A scripted speech engine for engine manager tests: its load can be held on
// a gate the test opens, can fail, and every call is written to a log shared
// by all engines of a test ("parakeet#1 load begins", ...).

#include "OstrelVirorez/Engines/EngineFactory.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <future>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez::enginetest {

class EventLog {
public:
    void add(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// What the next engine of a type does when it loads.
struct EngineScript {
    int heldLoads = 0;                           // how many engines of the type (the first ones) wait for release()
    std::exception_ptr loadFailure;              // thrown by load()
    std::exception_ptr transcribeFailure;        // thrown by transcribe()
};

class ScriptedEngine final : public TranscriptionEngine {
public:
    ScriptedEngine(std::string name, EngineScript script, bool held, std::shared_ptr<EventLog> log)
        : name_(std::move(name)), script_(std::move(script)), held_(held), log_(std::move(log)) {}

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return loaded_; }
    const std::vector<std::string>& supportedLanguages() const override { return languages_; }

    void load() override {
        log_->add(name_ + " load begins");
        loadStarted_.set_value();
        if (held_) gate_.wait();
        if (script_.loadFailure) {
            log_->add(name_ + " load fails");
            std::rethrow_exception(script_.loadFailure);
        }
        loaded_ = true;
        log_->add(name_ + " load ends");
    }
    void unload() override {
        loaded_ = false;
        log_->add(name_ + " unload");
    }
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override {
        if (script_.transcribeFailure) std::rethrow_exception(script_.transcribeFailure);
        return TranscriptionResult{name_ + " heard " + std::to_string(buffer.frameLength()) + " frames",
                                   languageHint, 0.5f, 1.25, std::nullopt};
    }

    void setLoaded(bool loaded) { loaded_ = loaded; }
    // Blocks until load() has been entered.
    void waitUntilLoadStarts() { loadStartedFuture_.wait(); }
    void release() { gate_.count_down(); }

private:
    std::string name_;
    EngineScript script_;
    bool held_;
    std::shared_ptr<EventLog> log_;
    std::vector<std::string> languages_{"de", "en"};
    std::atomic<bool> loaded_ = false;
    std::promise<void> loadStarted_;
    std::shared_future<void> loadStartedFuture_ = loadStarted_.get_future().share();
    std::latch gate_{1};
};

// Makes ScriptedEngines named "<type>#<n>" from each type's script and keeps them.
class ScriptedEngineFactory {
public:
    std::shared_ptr<EventLog> log = std::make_shared<EventLog>();
    std::map<EngineType, EngineScript> scripts;

    EngineFactory factory() {
        return [this](EngineType type) -> std::shared_ptr<TranscriptionEngine> {
            std::lock_guard lock(mutex_);
            auto& made = engines_[type];
            const auto name = std::string(rawValue(type)) + "#" + std::to_string(made.size() + 1);
            const bool held = static_cast<int>(made.size()) < scripts[type].heldLoads;
            made.push_back(std::make_shared<ScriptedEngine>(name, scripts[type], held, log));
            madeOne_.notify_all();
            return made.back();
        };
    }

    // The n-th engine (from 1) made for `type`; null when not made yet.
    std::shared_ptr<ScriptedEngine> engine(EngineType type, std::size_t n = 1) const {
        std::lock_guard lock(mutex_);
        const auto found = engines_.find(type);
        if (found == engines_.end() || found->second.size() < n) return nullptr;
        return found->second[n - 1];
    }
    // Blocks until the n-th engine for `type` has been made.
    std::shared_ptr<ScriptedEngine> waitForEngine(EngineType type, std::size_t n = 1) const {
        std::unique_lock lock(mutex_);
        madeOne_.wait(lock, [&] {
            const auto found = engines_.find(type);
            return found != engines_.end() && found->second.size() >= n;
        });
        return engines_.at(type)[n - 1];
    }
    std::size_t madeCount() const {
        std::lock_guard lock(mutex_);
        std::size_t count = 0;
        for (const auto& [type, made] : engines_) count += made.size();
        return count;
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable madeOne_;
    std::map<EngineType, std::vector<std::shared_ptr<ScriptedEngine>>> engines_;
};

} // namespace ostrelvirorez::enginetest
