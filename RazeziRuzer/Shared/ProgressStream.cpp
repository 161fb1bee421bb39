#include "RazeziRuzer/Shared/ProgressStream.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace razeziruzer {

struct ProgressStreamState {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<double> values;
    bool finished = false;
    std::exception_ptr error;
};

std::pair<ProgressStream, ProgressStream::Continuation> ProgressStream::make() {
    auto state = std::make_shared<ProgressStreamState>();
    return {ProgressStream(state), Continuation(state)};
}

void ProgressStream::Continuation::yield(double value) const {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->finished) return;
        state_->values.push_back(value);
    }
    state_->changed.notify_all();
}

void ProgressStream::Continuation::finish() const {
    finish(nullptr);
}

void ProgressStream::Continuation::finish(std::exception_ptr error) const {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->finished) return;
        state_->finished = true;
        state_->error = std::move(error);
    }
    state_->changed.notify_all();
}

std::optional<double> ProgressStream::next() const {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return !state_->values.empty() || state_->finished; });
    if (!state_->values.empty()) {
        const double value = state_->values.front();
        state_->values.pop_front();
        return value;
    }
    if (state_->error) std::rethrow_exception(state_->error);
    return std::nullopt;
}

bool ProgressStream::isFinished() const {
    std::lock_guard lock(state_->mutex);
    return state_->finished && state_->values.empty();
}

} // namespace razeziruzer
