#include "RazeziRuzer/Shared/LongArray.hpp"

#include <sys/mman.h>

#include <cstdint>

namespace razeziruzer {

void reserveLongArray(std::vector<float>& values, std::size_t count) {
    values.reserve(count);
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(values.data() + values.size());
    const auto end = reinterpret_cast<std::uintptr_t>(values.data() + values.capacity());
    const std::uintptr_t first = (begin + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = end & ~(hugePage - 1);
    // Advice only: where huge pages are not offered the pages stay as they are.
    if (first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace razeziruzer
