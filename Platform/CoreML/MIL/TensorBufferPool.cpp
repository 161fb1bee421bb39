#include "Platform/CoreML/MIL/TensorBufferPool.hpp"

#include "Platform/Core/Immortal.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace platform::coreml::mil {
namespace {

constexpr std::align_val_t smallAlignment{64};
// Large buffers start on a huge-page boundary and ask for huge pages, so that
// first touches fault once per 2 MiB rather than once per 4 KiB.
constexpr std::size_t hugePage = std::size_t{2} << 20;
constexpr std::size_t hugePageWorthy = std::size_t{4} << 20;
// From this size on a buffer is a mapping of its own (see mapAligned).
constexpr std::size_t mappedMinimum = std::size_t{256} << 10;

// Large buffers are mapped on their own (the largest on a huge-page boundary)
// rather than carved from the heap: freeing one returns it whole, so a load's
// transient copies leave no holes between the weights it keeps.
void* mapAligned(std::size_t size) {
    const auto mapped = size + hugePage;
    void* region = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) {
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(region);
    const auto aligned = (start + hugePage - 1) / hugePage * hugePage;
    if (aligned > start) {
        ::munmap(region, aligned - start);
    }
    const auto tail = start + mapped - (aligned + size);
    if (tail > 0) {
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    }
    void* memory = reinterpret_cast<void*>(aligned);
    ::madvise(memory, size, MADV_HUGEPAGE);
    return memory;
}

void* mapPlain(std::size_t size) {
    void* region = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return region;
}

void* allocateFresh(std::size_t size) {
    if (size >= hugePageWorthy) {
        return mapAligned(size);
    }
    return size >= mappedMinimum ? mapPlain(size) : ::operator new(size, smallAlignment);
}

void release(void* memory, std::size_t size) {
    if (size >= mappedMinimum) {
        ::munmap(memory, size);
    } else {
        ::operator delete(memory, smallAlignment);
    }
}

// An eighth of the machine's memory, at most 1 GiB: enough for the live values
// of a large encoder's prediction, small beside the weights.
std::size_t sharedCapacity() {
    const auto pages = ::sysconf(_SC_PHYS_PAGES);
    const auto pageSize = ::sysconf(_SC_PAGESIZE);
    const std::size_t limit = std::size_t{1} << 30;
    if (pages <= 0 || pageSize <= 0) {
        return limit / 4;
    }
    return std::min(limit, static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize) / 8);
}

std::shared_ptr<void> allocateUnpooled(std::size_t bytes) {
    const auto size = std::max<std::size_t>(bytes, 1);
    return {allocateFresh(size), [size](void* pointer) { release(pointer, size); }};
}

thread_local bool predictionScope = false;

} // namespace

TensorBufferPool::Scope::Scope() : outer_(predictionScope) { predictionScope = true; }

TensorBufferPool::Scope::~Scope() { predictionScope = outer_; }

bool TensorBufferPool::inScope() { return predictionScope; }

std::shared_ptr<void> TensorBufferPool::allocate(std::size_t bytes) {
    return predictionScope ? shared().acquire(bytes) : allocateUnpooled(bytes);
}

TensorBufferPool::TensorBufferPool(std::size_t capacityBytes) : capacity_(capacityBytes) {}

TensorBufferPool::~TensorBufferPool() { trim(); }

TensorBufferPool& TensorBufferPool::shared() {
    static Immortal<TensorBufferPool> pool(sharedCapacity());
    return pool.get();
}

std::size_t TensorBufferPool::sizeClass(std::size_t bytes) {
    if (bytes <= pooledMinimum) {
        return pooledMinimum;
    }
    const auto power = std::bit_floor(bytes);
    const auto step = std::max<std::size_t>(power / 8, 64);
    const auto rounded = (bytes + step - 1) / step * step;
    return rounded >= hugePageWorthy ? (rounded + hugePage - 1) / hugePage * hugePage : rounded;
}

std::shared_ptr<void> TensorBufferPool::acquire(std::size_t bytes) {
    if (bytes < pooledMinimum) {
        return allocateUnpooled(bytes);
    }
    const auto size = sizeClass(bytes);
    void* memory = take(size);
    if (memory == nullptr) {
        memory = allocateFresh(size);
    }
    return {memory, [this, size](void* pointer) { giveBack(pointer, size); }};
}

void* TensorBufferPool::take(std::size_t size) {
    const std::lock_guard lock(mutex_);
    // The most recently returned buffer of the size is the likeliest still in cache.
    for (auto entry = free_.rbegin(); entry != free_.rend(); ++entry) {
        if (entry->size == size) {
            void* memory = entry->memory;
            free_.erase(std::next(entry).base());
            cached_ -= size;
            return memory;
        }
    }
    return nullptr;
}

void TensorBufferPool::giveBack(void* memory, std::size_t size) {
    if (size > capacity_) {
        release(memory, size);
        return;
    }
    std::vector<Cached> evicted;
    {
        const std::lock_guard lock(mutex_);
        free_.push_back({size, memory});
        cached_ += size;
        auto oldest = free_.begin();
        while (cached_ > capacity_) {
            cached_ -= oldest->size;
            evicted.push_back(*oldest++);
        }
        free_.erase(free_.begin(), oldest);
    }
    for (const auto& buffer : evicted) {
        release(buffer.memory, buffer.size);
    }
}

std::size_t TensorBufferPool::cachedBytes() const {
    const std::lock_guard lock(mutex_);
    return cached_;
}

void TensorBufferPool::trim() {
    std::vector<Cached> buffers;
    {
        const std::lock_guard lock(mutex_);
        buffers.swap(free_);
        cached_ = 0;
    }
    for (const auto& buffer : buffers) {
        release(buffer.memory, buffer.size);
    }
}

} // namespace platform::coreml::mil
