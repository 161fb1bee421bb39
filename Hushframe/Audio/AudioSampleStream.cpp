#include "Hushframe/Audio/AudioSampleStream.hpp"

#include <utility>

namespace hushframe {

struct AudioSampleStream::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<float>> pending;
    std::exception_ptr error;
    bool ended = false;
    std::function<void()> onTermination;
};

std::pair<AudioSampleStream, AudioSampleStream::Continuation> AudioSampleStream::make() {
    auto state = std::make_shared<State>();
    return {AudioSampleStream(state), Continuation(state)};
}

AudioSampleStream& AudioSampleStream::operator=(AudioSampleStream&& other) noexcept {
    if (this != &other) {
        cancel();
        state_ = std::move(other.state_);
    }
    return *this;
}

AudioSampleStream::~AudioSampleStream() { cancel(); }

void AudioSampleStream::Continuation::yield(std::vector<float> samples) const {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->ended) return;
        state_->pending.push_back(std::move(samples));
    }
    state_->changed.notify_all();
}

void AudioSampleStream::Continuation::finish(std::exception_ptr error) const { end(state_, std::move(error), false); }

void AudioSampleStream::end(const std::shared_ptr<State>& state, std::exception_ptr error, bool dropPending) {
    std::function<void()> handler;
    {
        std::lock_guard lock(state->mutex);
        if (state->ended) return;
        state->ended = true;
        state->error = std::move(error);
        if (dropPending) state->pending.clear();
        handler = std::move(state->onTermination);
        state->onTermination = nullptr;
    }
    state->changed.notify_all();
    if (handler) handler();
}

std::optional<std::vector<float>> AudioSampleStream::next() {
    if (!state_) return std::nullopt;
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return !state_->pending.empty() || state_->ended; });
    if (!state_->pending.empty()) {
        auto samples = std::move(state_->pending.front());
        state_->pending.pop_front();
        return samples;
    }
    if (auto error = std::exchange(state_->error, nullptr)) std::rethrow_exception(error);
    return std::nullopt;
}

void AudioSampleStream::cancel() {
    if (state_) end(state_, nullptr, true);
}

void AudioSampleStream::setOnTermination(std::function<void()> handler) {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->ended) {
            state_->onTermination = std::move(handler);
            return;
        }
    }
    if (handler) handler();
}

} // namespace hushframe
