#include "OstrelVirorez/Engines/AnalyzerInputStream.hpp"

#include <utility>

namespace ostrelvirorez {

void AnalyzerInputStream::yield(AnalyzerInput input) {
    {
        std::lock_guard lock(mutex_);
        if (finished_) return;
        pending_.push_back(std::move(input));
    }
    changed_.notify_all();
}

void AnalyzerInputStream::finish() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

std::optional<AnalyzerInput> AnalyzerInputStream::next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return finished_ || !pending_.empty(); });
    if (pending_.empty()) return std::nullopt;
    auto input = std::move(pending_.front());
    pending_.pop_front();
    return input;
}

} // namespace ostrelvirorez
