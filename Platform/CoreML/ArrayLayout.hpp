#pragma once
// Shape and stride arithmetic shared by the multi-array and its copies: element
// counts, row-major strides, linear-index mapping and a walk over innermost rows.
// Strides are in elements.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::coreml::layout {

using Dimensions = std::vector<std::int64_t>;

// Product of the dimensions; throws MLModelError (generic) on a negative
// dimension or when the product overflows.
std::int64_t elementCount(std::span<const std::int64_t> shape);

Dimensions rowMajorStrides(std::span<const std::int64_t> shape);

// True when the strides are those of a dense row-major array of that shape
// (axes of size 1 may carry any stride).
bool isRowMajor(std::span<const std::int64_t> shape, std::span<const std::int64_t> strides);

// Element offset of the element at a row-major linear index.
std::int64_t offsetOfLinearIndex(std::span<const std::int64_t> shape, std::span<const std::int64_t> strides,
                                 std::int64_t linearIndex);

// "[1, 80, 100]", for messages.
std::string describe(std::span<const std::int64_t> dimensions);

std::int64_t offsetOfIndices(std::span<const std::int64_t> strides, std::span<const std::int64_t> indices);

// Calls visit(offsetA, offsetB) for the first element of every innermost row, in
// row-major order, with the offsets of that row in two layouts of one shape.
template <typename Visit>
void forEachRow(std::span<const std::int64_t> shape, std::span<const std::int64_t> stridesA,
                std::span<const std::int64_t> stridesB, Visit&& visit) {
    const auto rank = shape.size();
    if (rank == 0 || elementCount(shape) == 0) {
        return;
    }
    std::vector<std::int64_t> index(rank - 1, 0);
    std::int64_t offsetA = 0;
    std::int64_t offsetB = 0;
    while (true) {
        visit(offsetA, offsetB);
        std::size_t axis = rank - 1;
        while (axis > 0) {
            --axis;
            if (++index[axis] < shape[axis]) {
                offsetA += stridesA[axis];
                offsetB += stridesB[axis];
                break;
            }
            offsetA -= (shape[axis] - 1) * stridesA[axis];
            offsetB -= (shape[axis] - 1) * stridesB[axis];
            index[axis] = 0;
            if (axis == 0) {
                return;
            }
        }
        if (rank == 1) {
            return;
        }
    }
}

} // namespace platform::coreml::layout
