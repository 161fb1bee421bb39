#pragma once
// A row-major tensor seen as lines along one axis: `outer` blocks of `size`
// steps along the axis, each step `inner` elements apart. Line l starts at
// start(l) and its element j lies at start(l) + j * inner.

#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>

namespace platform::coreml::mil {

struct AxisLines {
    std::int64_t outer = 1;
    std::int64_t size = 1;
    std::int64_t inner = 1;

    // `axis` must already be normalised into [0, rank).
    AxisLines(const Shape& shape, std::int64_t axis) {
        for (std::int64_t d = 0; d < static_cast<std::int64_t>(shape.size()); ++d) {
            const auto extent = shape[static_cast<std::size_t>(d)];
            if (d < axis) {
                outer *= extent;
            } else if (d == axis) {
                size = extent;
            } else {
                inner *= extent;
            }
        }
    }

    std::int64_t count() const { return outer * inner; }
    std::int64_t start(std::int64_t line) const { return (line / inner) * size * inner + line % inner; }
};

} // namespace platform::coreml::mil
