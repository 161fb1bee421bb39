#pragma once
// Splits a streaming recogniser's changing partial text into committed text,
// which no longer changes, and a ghost tail that the next partial may
// rewrite. Text is committed up to the last punctuation mark of a partial,
// when the partial stops changing for the debounce time, at the end of an
// utterance, or on demand.
//
// Partials may be cumulative, as the streaming recognisers deliver them:
// text that begins with what was already committed has that part skipped.
// Other text is taken as the whole uncommitted text.
//
// Operations are serialised on the object; the update callback runs inside
// it (also from the debounce timer's thread) and may call back. The timer
// sleeps on an injectable sleeper, so tests can run it in virtual time.

#include "Platform/Concurrency/Sleeper.hpp"
#include "RazeziRuzer/ASR/Shared/PunctuationCommit/CommitLayerUpdate.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <thread>

namespace razeziruzer {

class PunctuationCommitLayer {
public:
    using UpdateCallback = std::function<void(const CommitLayerUpdate&)>;

    // Throws std::invalid_argument for a negative or non-finite timeout.
    PunctuationCommitLayer(double debounceTimeout, std::set<std::string> punctuationMarks, bool commitOnTimeout,
                           platform::Sleeper& sleeper);
    ~PunctuationCommitLayer();
    PunctuationCommitLayer(const PunctuationCommitLayer&) = delete;
    PunctuationCommitLayer& operator=(const PunctuationCommitLayer&) = delete;

    CommitLayerUpdate processPartialText(const std::string& text);
    CommitLayerUpdate processEOU();
    CommitLayerUpdate manualCommit();
    void reset();
    void setUpdateCallback(UpdateCallback callback);

    std::string committedText() const;
    std::string ghostText() const;

private:
    std::string uncommittedPart(const std::string& text);
    void invalidateDebounce();
    void startDebounceTimer();
    void runTimers(std::stop_token stop);
    // Returns whether there was ghost text to commit.
    bool commitGhostText();
    CommitLayerUpdate publish(std::optional<CommitReason> reason);

    mutable std::recursive_mutex mutex_;
    const std::chrono::nanoseconds debounceTimeout_;
    const std::set<std::string> punctuationMarks_;
    const bool commitOnTimeout_;
    platform::Sleeper& sleeper_;
    std::string committedText_;
    std::string ghostText_;
    std::string committedSource_;  // the input that the committed text came from
    std::chrono::system_clock::time_point lastUpdateTime_;
    std::uint64_t debounceGeneration_ = 0;
    bool timerArmed_ = false;
    std::stop_source timerStop_;
    UpdateCallback updateCallback_;
    std::condition_variable_any timerChanged_;
    std::jthread timerThread_;  // last: it stops and joins before the state above goes
};

} // namespace razeziruzer
