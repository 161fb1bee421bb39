#pragma once
// The samples of a live recording as they arrive: the capture side yields
// each buffer through a Continuation (from any thread, never blocking), the
// consumer reads them in order with next(). The stream ends when the
// producer finishes it (possibly with an error) or the consumer cancels it;
// either way its termination handler runs once, outside any lock.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace hushframe {

class AudioSampleStream {
    struct State;

public:
    class Continuation {
    public:
        // Ignored once the stream has ended.
        void yield(std::vector<float> samples) const;
        // Ends the stream; a reader meets `error` after the buffers already yielded.
        void finish(std::exception_ptr error = nullptr) const;

    private:
        friend class AudioSampleStream;
        explicit Continuation(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::shared_ptr<State> state_;
    };

    // A new stream and the continuation that feeds it.
    static std::pair<AudioSampleStream, Continuation> make();

    AudioSampleStream(AudioSampleStream&&) noexcept = default;
    AudioSampleStream& operator=(AudioSampleStream&&) noexcept;
    ~AudioSampleStream();

    // The next buffer, waiting for it; absent once the stream has ended and
    // every buffer was read. An error the stream ended with is thrown once,
    // after the buffers before it.
    std::optional<std::vector<float>> next();
    // The consumer stops reading: the stream ends and pending buffers are dropped.
    void cancel();

    // Runs once when the stream ends; runs at once when it has already ended.
    void setOnTermination(std::function<void()> handler);

private:
    explicit AudioSampleStream(std::shared_ptr<State> state) : state_(std::move(state)) {}
    static void end(const std::shared_ptr<State>& state, std::exception_ptr error, bool dropPending);

    std::shared_ptr<State> state_;
};

} // namespace hushframe
