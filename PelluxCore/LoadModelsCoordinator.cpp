#include "PelluxCore/LoadModelsCoordinator.hpp"

#include <exception>

namespace pelluxcore {

void LoadModelsCoordinator::run(const std::function<void()>& operation) {
    std::promise<void> outcome;
    {
        std::unique_lock lock(mutex_);
        if (inflightLoad_) {
            const std::shared_future<void> running = *inflightLoad_;
            lock.unlock();
            if (onJoin_) onJoin_();
            running.get();
            return;
        }
        inflightLoad_ = outcome.get_future().share();
    }

    // The caller that starts the load runs it; the others only wait.
    std::exception_ptr failure;
    try {
        operation();
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        inflightLoad_.reset();
    }
    if (failure) {
        outcome.set_exception(failure);
        std::rethrow_exception(failure);
    }
    outcome.set_value();
}

} // namespace pelluxcore
