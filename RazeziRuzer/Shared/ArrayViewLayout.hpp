#pragma once
// Layout arithmetic behind zero-copy views: which memory an array's elements
// occupy, and which strides present a run of another array's elements without
// copying them. Offsets and strides are in elements.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace razeziruzer::arrayviewlayout {

// Memory an array's elements occupy relative to its first element: from
// `lowest` to `highest`, both included.
struct MemoryExtent {
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
};

// None for an array without elements, and for a layout whose reach does not
// fit in 64 bits (which no real buffer has).
std::optional<MemoryExtent> memoryExtent(std::span<const std::int64_t> shape,
                                         std::span<const std::int64_t> strides);

// A view's start and strides inside its source's memory.
struct StridedWindow {
    std::int64_t memoryOffset = 0;
    std::vector<std::int64_t> strides;
};

// The window whose elements, in row-major order, are the source's elements
// linearOffset, linearOffset + 1, ... (row-major over the source's shape),
// reached through the source's strides. None when no single set of strides
// addresses exactly those elements, as when a run would step over the padding
// at the end of a source row. The run must lie inside the source.
std::optional<StridedWindow> windowOverElements(std::span<const std::int64_t> sourceShape,
                                                std::span<const std::int64_t> sourceStrides,
                                                std::int64_t linearOffset,
                                                std::span<const std::int64_t> viewShape);

} // namespace razeziruzer::arrayviewlayout
