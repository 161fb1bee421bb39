#pragma once
// The shared concurrent executor: a fixed set of worker threads taking tasks
// first-in-first-out. Destroying a pool runs every task already submitted,
// then joins its workers; a pool must not be destroyed by one of its own tasks.

#include <cstddef>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <vector>

namespace platform {

class ThreadPool {
public:
    using Task = std::function<void()>;

    // Zero threads means one per hardware thread (at least one).
    explicit ThreadPool(std::size_t threadCount = 0);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // The process-wide pool, sized to the hardware.
    static ThreadPool& shared();

    std::size_t threadCount() const { return workers_.size(); }

    // Fire and forget: an exception the task throws is logged as a fault.
    void execute(Task task);

    // The future carries the result or the exception of `function`.
    template <typename Function>
    auto submit(Function function) -> std::future<std::invoke_result_t<Function&>> {
        using Result = std::invoke_result_t<Function&>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(function));
        auto future = task->get_future();
        enqueue([task] { (*task)(); });
        return future;
    }

    // Whether the caller is one of this pool's workers.
    bool isWorkerThread() const;
    // Runs one queued task on the calling thread, if there is one. A worker
    // waiting for work it submitted helps this way instead of blocking a thread
    // the work may need.
    bool runPendingTask();

private:
    void enqueue(Task task);
    void work(std::stop_token stop);
    // Watches the queue briefly before a worker sleeps: waking a sleeping
    // thread costs far more than the short tasks of a parallel loop.
    void spinForWork(const std::stop_token& stop) const;

    std::mutex mutex_;
    std::condition_variable_any available_;
    std::deque<Task> tasks_;
    std::atomic<std::size_t> queued_{0}; // tasks_.size(), readable without the lock
    std::vector<std::jthread> workers_; // last: started after the queue exists
};

} // namespace platform
