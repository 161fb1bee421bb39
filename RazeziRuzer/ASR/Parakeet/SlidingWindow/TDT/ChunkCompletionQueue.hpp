#pragma once
// Where the chunk tasks of one run hand in their tokens, in the order they
// finish, and where the run waits for the next one. The first error handed in
// wins and is rethrown to the waiting run.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenEntry.hpp"

#include "Platform/Concurrency/ThreadPool.hpp"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

namespace razeziruzer {

class ChunkCompletionQueue {
public:
    struct TaskResult {
        std::size_t index = 0;
        std::vector<TokenEntry> tokens;
        std::size_t workerIndex = 0;
    };

    void push(TaskResult result);
    void fail(std::exception_ptr error);

    // Blocks until a result or an error arrives. On a thread of `pool` it
    // runs queued pool work meanwhile, since that may be the awaited chunk.
    TaskResult next(platform::ThreadPool& pool);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TaskResult> finished_;
    std::exception_ptr error_;
};

} // namespace razeziruzer
