#include "RazeziRuzer/Shared/ArrayViewLayout.hpp"

#include "Platform/CoreML/ArrayLayout.hpp"

namespace razeziruzer::arrayviewlayout {

namespace layout = platform::coreml::layout;

namespace {

// The innermost run of source elements that lie evenly spaced in memory: its
// length and the spacing. Consecutive elements inside one run are `stride`
// apart; crossing from one run into the next is not.
struct InnerRun {
    std::int64_t length = 1;
    std::int64_t stride = 1;
};

InnerRun innerRun(std::span<const std::int64_t> shape, std::span<const std::int64_t> strides) {
    InnerRun run;
    bool started = false;
    for (auto axis = shape.size(); axis-- > 0;) {
        if (shape[axis] == 1) continue;
        if (!started) {
            run = {shape[axis], strides[axis]};
            started = true;
        } else if (strides[axis] == run.length * run.stride) {
            run.length *= shape[axis];
        } else {
            break;
        }
    }
    return run;
}

} // namespace

std::optional<MemoryExtent> memoryExtent(std::span<const std::int64_t> shape,
                                         std::span<const std::int64_t> strides) {
    MemoryExtent extent;
    for (std::size_t axis = 0; axis < shape.size(); ++axis) {
        if (shape[axis] == 0) return std::nullopt;
        std::int64_t reach = 0;
        if (__builtin_mul_overflow(shape[axis] - 1, strides[axis], &reach)) return std::nullopt;
        auto& bound = reach < 0 ? extent.lowest : extent.highest;
        if (__builtin_add_overflow(bound, reach, &bound)) return std::nullopt;
    }
    return extent;
}

std::optional<StridedWindow> windowOverElements(std::span<const std::int64_t> sourceShape,
                                                std::span<const std::int64_t> sourceStrides,
                                                std::int64_t linearOffset,
                                                std::span<const std::int64_t> viewShape) {
    const auto viewCount = layout::elementCount(viewShape);
    const auto sourceOffsetOf = [&](std::int64_t linearIndex) {
        return layout::offsetOfLinearIndex(sourceShape, sourceStrides, linearIndex);
    };
    StridedWindow window;
    window.strides = layout::rowMajorStrides(viewShape);
    if (viewCount == 0) {
        window.memoryOffset = linearOffset < layout::elementCount(sourceShape) ? sourceOffsetOf(linearOffset) : 0;
        return window;
    }
    window.memoryOffset = sourceOffsetOf(linearOffset);
    if (viewShape.empty()) return window;

    // Candidate strides: where one step along each view axis lands in the source.
    const auto run = innerRun(sourceShape, sourceStrides);
    const auto rowMajor = layout::rowMajorStrides(viewShape);
    const auto last = viewShape.size() - 1;
    for (std::size_t axis = 0; axis < viewShape.size(); ++axis) {
        if (viewShape[axis] == 1) continue;
        window.strides[axis] = axis == last ? run.stride
                                            : sourceOffsetOf(linearOffset + rowMajor[axis]) - window.memoryOffset;
    }

    // Proof over every view row: its start lands where the candidate strides
    // say, and the row stays inside one evenly spaced source run.
    const auto rowLength = viewShape[last];
    bool fits = true;
    layout::forEachRow(viewShape, window.strides, rowMajor, [&](std::int64_t viewOffset, std::int64_t rowIndex) {
        if (!fits) return;
        const auto linearIndex = linearOffset + rowIndex;
        fits = sourceOffsetOf(linearIndex) - window.memoryOffset == viewOffset &&
               (rowLength == 1 || linearIndex % run.length + rowLength <= run.length);
    });
    if (!fits) return std::nullopt;
    return window;
}

} // namespace razeziruzer::arrayviewlayout
