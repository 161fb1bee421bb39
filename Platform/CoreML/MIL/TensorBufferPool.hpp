#pragma once
// Keeps the large element buffers that tensors let go of, so that the next
// operation or prediction asking for one of about the same size reuses pages
// already faulted in instead of mapping fresh ones. The pool holds at most a
// fixed number of bytes; a buffer that would pass that limit goes back to the
// system.

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::coreml::mil {

class TensorBufferPool {
public:
    // Buffers below this size come from the ordinary heap, which recycles them well.
    static constexpr std::size_t pooledMinimum = std::size_t{64} << 10;

    explicit TensorBufferPool(std::size_t capacityBytes);
    ~TensorBufferPool();
    TensorBufferPool(const TensorBufferPool&) = delete;
    TensorBufferPool& operator=(const TensorBufferPool&) = delete;

    // The process-wide pool the runtime's tensors draw from. Never destroyed, so
    // tensors that outlive static destruction can still hand their buffers back.
    static TensorBufferPool& shared();

    // Marks the calling thread as running a prediction for its lifetime.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        bool outer_;
    };
    static bool inScope();

    // A tensor buffer: from the shared pool inside a scope, else straight from
    // the system.
    static std::shared_ptr<void> allocate(std::size_t bytes);

    // At least `bytes` bytes aligned to 64 (to 2 MiB, with huge pages asked for,
    // for large buffers). The contents are whatever the last user left.
    std::shared_ptr<void> acquire(std::size_t bytes);

    // The size a request of `bytes` is rounded up to: one of eight steps between
    // powers of two, so reuse wastes at most an eighth.
    static std::size_t sizeClass(std::size_t bytes);

    std::size_t cachedBytes() const;
    std::size_t capacityBytes() const { return capacity_; }
    // Drops every cached buffer.
    void trim();

private:
    void* take(std::size_t size);
    void giveBack(void* memory, std::size_t size);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    struct Cached {
        std::size_t size;
        void* memory;
    };
    std::vector<Cached> free_; // oldest first
    std::size_t cached_ = 0;
};

} // namespace platform::coreml::mil
