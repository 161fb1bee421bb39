#pragma once
// Blocking work (engine loads, transcriptions, rewrites) runs on an executor
// off the main queue; its result or error comes back as a task on the main
// queue. The application passes the shared thread pool; tests pass an
// executor they drive themselves.

#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Core/Error.hpp"

#include <exception>
#include <functional>
#include <optional>
#include <utility>
#include <variant>

namespace ostrelvirorez {

using Executor = std::function<void(std::function<void()>)>;

// Runs tasks on platform::ThreadPool::shared().
Executor sharedPoolExecutor();

// The result of work that may throw: a value, or the error it threw.
template <typename T>
class Attempt {
public:
    static Attempt success(T value) { return Attempt(std::move(value)); }
    static Attempt failure(std::exception_ptr error) { return Attempt(std::move(error)); }

    bool succeeded() const { return std::holds_alternative<T>(content_); }
    // The value; rethrows the error of a failed attempt.
    T& value() {
        if (!succeeded()) std::rethrow_exception(std::get<std::exception_ptr>(content_));
        return std::get<T>(content_);
    }
    std::exception_ptr error() const {
        return succeeded() ? nullptr : std::get<std::exception_ptr>(content_);
    }

private:
    explicit Attempt(T value) : content_(std::move(value)) {}
    explicit Attempt(std::exception_ptr error) : content_(std::move(error)) {}

    std::variant<T, std::exception_ptr> content_;
};

using Done = std::monostate;

// Runs `work` on `executor` and then `completion` with its attempt on `mainQueue`.
template <typename T>
void runOffMain(const Executor& executor, platform::MainQueue& mainQueue, std::function<T()> work,
                std::function<void(Attempt<T>)> completion) {
    executor([&mainQueue, work = std::move(work), completion = std::move(completion)]() mutable {
        std::optional<Attempt<T>> attempt;
        try {
            attempt.emplace(Attempt<T>::success(work()));
        } catch (...) {
            attempt.emplace(Attempt<T>::failure(std::current_exception()));
        }
        mainQueue.post([completion = std::move(completion), result = std::move(*attempt)]() mutable {
            completion(std::move(result));
        });
    });
}

// The text the user sees for an error: its description.
using platform::describeError;

} // namespace ostrelvirorez
