#pragma once
// A stream of progress fractions with unbounded buffering: the writing end
// yields values and ends the stream normally or with an error; readers on
// any thread take the values in order, however late they start.

#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace razeziruzer {

struct ProgressStreamState;

class ProgressStream {
public:
    // The writing end; ending twice, or yielding after the end, does nothing.
    class Continuation {
    public:
        void yield(double value) const;
        void finish() const;
        void finish(std::exception_ptr error) const;

    private:
        friend class ProgressStream;
        explicit Continuation(std::shared_ptr<ProgressStreamState> state) : state_(std::move(state)) {}
        std::shared_ptr<ProgressStreamState> state_;
    };

    // A new stream and its writing end.
    static std::pair<ProgressStream, Continuation> make();

    // Waits for the next value; nothing once the stream ended normally, and
    // throws the error once it ended with one.
    std::optional<double> next() const;
    bool isFinished() const;

    // Two handles are equal when they read the same stream.
    bool operator==(const ProgressStream& other) const { return state_ == other.state_; }

private:
    explicit ProgressStream(std::shared_ptr<ProgressStreamState> state) : state_(std::move(state)) {}
    std::shared_ptr<ProgressStreamState> state_;
};

} // namespace razeziruzer
