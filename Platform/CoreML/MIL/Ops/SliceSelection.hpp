#pragma once
// A slice of a tensor chosen the way x[b0:e0:s0, ...] chooses one, with the
// masks of the slicing operations: a set begin or end mask stands for an
// omitted bound, a set squeeze mask takes the single element at begin and
// drops the dimension.

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"

#include <cstdint>
#include <vector>

namespace platform::coreml::mil::shapeops {

struct SliceDimension {
    std::int64_t start = 0;  // first index taken
    std::int64_t step = 1;   // may be negative
    std::int64_t length = 0; // elements taken
    bool squeezed = false;
};

class SliceSelection {
public:
    // Reads begin, end, stride and the three masks of `call` for the tensor shape `shape`.
    static SliceSelection fromCall(const OpCall& call, const Shape& shape);
    // begin[i] and size[i] per dimension; a size of -1 reaches the end.
    static SliceSelection fromSizes(const OpCall& call, const Shape& shape, const std::vector<std::int64_t>& begin,
                                    const std::vector<std::int64_t>& size);

    // The slice with squeezed dimensions kept as size 1.
    const Shape& extent() const { return extent_; }
    // The slice as the operation returns it, squeezed dimensions dropped.
    Shape resultShape() const;
    // Where the slice lies in a dense tensor of the sliced shape.
    StridedLayout layout(const Shape& shape) const;

private:
    explicit SliceSelection(std::vector<SliceDimension> dims);

    std::vector<SliceDimension> dims_;
    Shape extent_;
};

} // namespace platform::coreml::mil::shapeops
