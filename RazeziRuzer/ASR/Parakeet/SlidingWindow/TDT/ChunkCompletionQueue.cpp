#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkCompletionQueue.hpp"

namespace razeziruzer {

void ChunkCompletionQueue::push(TaskResult result) {
    {
        const std::lock_guard lock(mutex_);
        finished_.push_back(std::move(result));
    }
    changed_.notify_all();
}

void ChunkCompletionQueue::fail(std::exception_ptr error) {
    {
        const std::lock_guard lock(mutex_);
        if (!error_) error_ = std::move(error);
    }
    changed_.notify_all();
}

ChunkCompletionQueue::TaskResult ChunkCompletionQueue::next(platform::ThreadPool& pool) {
    std::unique_lock lock(mutex_);
    while (true) {
        if (error_) std::rethrow_exception(error_);
        if (!finished_.empty()) {
            auto result = std::move(finished_.front());
            finished_.pop_front();
            return result;
        }
        if (pool.isWorkerThread()) {
            lock.unlock();
            const bool ran = pool.runPendingTask();
            lock.lock();
            if (ran) continue;
        }
        changed_.wait(lock, [this] { return error_ || !finished_.empty(); });
    }
}

} // namespace razeziruzer
