#pragma once
// Runs one model load at a time: a caller that arrives while a load runs waits
// for that load and shares its outcome, success or failure; the first caller
// after it ends starts a fresh one.

#include <functional>
#include <future>
#include <mutex>
#include <optional>

namespace pelluxcore {

class LoadModelsCoordinator {
public:
    // `onJoin` is told each time a caller starts waiting on a running load.
    explicit LoadModelsCoordinator(std::function<void()> onJoin = {}) : onJoin_(std::move(onJoin)) {}

    LoadModelsCoordinator(const LoadModelsCoordinator&) = delete;
    LoadModelsCoordinator& operator=(const LoadModelsCoordinator&) = delete;

    // Returns when the load ends; rethrows its failure.
    void run(const std::function<void()>& operation);

private:
    std::function<void()> onJoin_;
    std::mutex mutex_;
    std::optional<std::shared_future<void>> inflightLoad_;
};

} // namespace pelluxcore
