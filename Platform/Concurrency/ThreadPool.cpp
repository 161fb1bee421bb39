#include "Platform/Concurrency/ThreadPool.hpp"

#include "Platform/Concurrency/SpinWait.hpp"
#include "Platform/Concurrency/TaskFailure.hpp"

#include <algorithm>

namespace platform {

ThreadPool::ThreadPool(std::size_t threadCount) {
    if (threadCount == 0) threadCount = std::max(1u, std::thread::hardware_concurrency());
    workers_.reserve(threadCount);
    for (std::size_t i = 0; i < threadCount; ++i) {
        workers_.emplace_back([this](std::stop_token stop) { work(stop); });
    }
}

ThreadPool::~ThreadPool() {
    for (auto& worker : workers_) worker.request_stop();
    available_.notify_all();
    for (auto& worker : workers_) worker.join();
}

ThreadPool& ThreadPool::shared() {
    static ThreadPool pool;
    return pool;
}

void ThreadPool::execute(Task task) {
    enqueue([task = std::move(task)] { runReportingFailure(task, "thread pool"); });
}

bool ThreadPool::isWorkerThread() const {
    const auto self = std::this_thread::get_id();
    return std::ranges::any_of(workers_, [&](const std::jthread& worker) { return worker.get_id() == self; });
}

bool ThreadPool::runPendingTask() {
    std::unique_lock lock(mutex_);
    if (tasks_.empty()) return false;
    auto task = std::move(tasks_.front());
    tasks_.pop_front();
    queued_.store(tasks_.size(), std::memory_order_relaxed);
    lock.unlock();
    task();
    return true;
}

void ThreadPool::enqueue(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        queued_.store(tasks_.size(), std::memory_order_relaxed);
    }
    available_.notify_one();
}

void ThreadPool::work(std::stop_token stop) {
    // A stop request ends a worker only once the queue is empty, so work
    // submitted before shutdown (or by tasks during it) still runs.
    while (true) {
        spinForWork(stop);
        std::unique_lock lock(mutex_);
        available_.wait(lock, stop, [&] { return !tasks_.empty(); });
        if (tasks_.empty()) return;
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        queued_.store(tasks_.size(), std::memory_order_relaxed);
        lock.unlock();
        task();
    }
}

void ThreadPool::spinForWork(const std::stop_token& stop) const {
    spinBriefly([&] { return queued_.load(std::memory_order_relaxed) != 0 || stop.stop_requested(); });
}

} // namespace platform
