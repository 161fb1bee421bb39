#pragma once
// The sequence of inputs an analysis consumes: unbounded, filled with
// yield(), closed with finish(); next() blocks until an input or the end.

#include "OstrelVirorez/Engines/AnalyzerInput.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace ostrelvirorez {

class AnalyzerInputStream {
public:
    void yield(AnalyzerInput input);
    void finish();
    // The next input in order; absent once the stream is finished and drained.
    std::optional<AnalyzerInput> next();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<AnalyzerInput> pending_;
    bool finished_ = false;
};

} // namespace ostrelvirorez
