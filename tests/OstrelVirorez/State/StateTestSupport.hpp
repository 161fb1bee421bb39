#pragma once
// A scripted speech engine and an executor the test drives, for running the
// application state's blocking work in virtual time.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/Engines/EngineFactory.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ostrelvirorez::testing {

// What every scripted engine answers; shared by all engines one factory makes.
struct EngineScript {
    std::set<EngineType> failToLoad;
    // What a failing load says after "Model loading failed: "; "<engine> cannot load here" when unset.
    std::optional<std::string> loadFailure;
    std::vector<std::string> answers{"hello world"};
    std::optional<std::string> transcriptionFailure;
    std::vector<EngineType> transcribedBy;
    std::vector<std::optional<std::string>> hints;
    // Every recording handed to an engine, in order.
    std::vector<platform::audio::PCMBuffer> recordings;
    std::size_t next = 0;
};

EngineFactory scriptedEngineFactory(std::shared_ptr<EngineScript> script);

// Runs submitted work at once (inline) or keeps it until the test runs it.
class TestExecutor {
public:
    Executor executor() {
        return [this](std::function<void()> task) {
            if (inline_) {
                task();
            } else {
                pending_.push_back(std::move(task));
            }
        };
    }
    void holdWork() { inline_ = false; }
    std::size_t pendingCount() const { return pending_.size(); }
    // Runs the oldest held task; false when none is held.
    bool runNext();
    void runAll() {
        while (runNext()) {
        }
    }

private:
    bool inline_ = true;
    std::deque<std::function<void()>> pending_;
};

} // namespace ostrelvirorez::testing
