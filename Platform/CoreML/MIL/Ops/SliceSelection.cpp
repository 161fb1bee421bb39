#include "Platform/CoreML/MIL/Ops/SliceSelection.hpp"

#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

std::vector<std::int64_t> perDimension(const OpCall& call, std::string_view name, std::size_t rank,
                                       std::int64_t fallback) {
    if (!call.has(name)) {
        return std::vector<std::int64_t>(rank, fallback);
    }
    auto values = integerValues(call, call.input(name), name);
    if (values.size() != rank) {
        call.fail("\"" + std::string(name) + "\" has " + std::to_string(values.size()) +
                  " entries for a tensor of rank " + std::to_string(rank));
    }
    return values;
}

// Python's rule for one bound: negative counts from the end, then clamped to
// the indices a walk with this step can start or stop at.
std::int64_t clampedBound(std::int64_t bound, std::int64_t size, std::int64_t step) {
    if (bound < 0) {
        bound += size;
    }
    return step > 0 ? std::clamp<std::int64_t>(bound, 0, size) : std::clamp<std::int64_t>(bound, -1, size - 1);
}

SliceDimension resolveDimension(const OpCall& call, std::size_t axis, std::int64_t size, std::int64_t begin,
                                std::int64_t end, std::int64_t step, bool beginMask, bool endMask, bool squeeze) {
    if (squeeze) {
        const auto index = beginMask ? 0 : begin;
        const auto start = index < 0 ? index + size : index;
        if (start < 0 || start >= size) {
            call.fail("the squeezed index " + std::to_string(index) + " on axis " + std::to_string(axis) +
                      " is out of range for a dimension of size " + std::to_string(size));
        }
        return {start, 1, 1, true};
    }
    if (step == 0) {
        call.fail("the stride on axis " + std::to_string(axis) + " is 0");
    }
    const auto start = beginMask ? (step > 0 ? 0 : size - 1) : clampedBound(begin, size, step);
    const auto stop = endMask ? (step > 0 ? size : -1) : clampedBound(end, size, step);
    const auto span = step > 0 ? stop - start : start - stop;
    const auto stride = step > 0 ? step : -step;
    const auto length = span <= 0 ? 0 : (span + stride - 1) / stride;
    return {start, step, length, false};
}

} // namespace

SliceSelection::SliceSelection(std::vector<SliceDimension> dims) : dims_(std::move(dims)) {
    for (const auto& dim : dims_) {
        extent_.push_back(dim.length);
    }
}

SliceSelection SliceSelection::fromCall(const OpCall& call, const Shape& shape) {
    const auto rank = shape.size();
    const auto begin = perDimension(call, "begin", rank, 0);
    const auto end = perDimension(call, "end", rank, 0);
    const auto stride = perDimension(call, "stride", rank, 1);
    const auto beginMask = perDimension(call, "begin_mask", rank, 0);
    const auto endMask = perDimension(call, "end_mask", rank, 0);
    const auto squeezeMask = perDimension(call, "squeeze_mask", rank, 0);
    std::vector<SliceDimension> dims;
    for (std::size_t d = 0; d < rank; ++d) {
        dims.push_back(resolveDimension(call, d, shape[d], begin[d], end[d], stride[d], beginMask[d] != 0,
                                        endMask[d] != 0, squeezeMask[d] != 0));
    }
    return SliceSelection(std::move(dims));
}

SliceSelection SliceSelection::fromSizes(const OpCall& call, const Shape& shape, const std::vector<std::int64_t>& begin,
                                         const std::vector<std::int64_t>& size) {
    if (begin.size() != shape.size() || size.size() != shape.size()) {
        call.fail("begin and size need " + std::to_string(shape.size()) + " entries each for the shape " +
                  describeShape(shape));
    }
    std::vector<SliceDimension> dims;
    for (std::size_t d = 0; d < shape.size(); ++d) {
        const auto start = begin[d] < 0 ? begin[d] + shape[d] : begin[d];
        const auto length = size[d] == -1 ? shape[d] - start : size[d];
        if (start < 0 || start > shape[d] || length < 0 || start + length > shape[d]) {
            call.fail("begin " + std::to_string(begin[d]) + " and size " + std::to_string(size[d]) + " on axis " +
                      std::to_string(d) + " reach outside the shape " + describeShape(shape));
        }
        dims.push_back({start, 1, length, false});
    }
    return SliceSelection(std::move(dims));
}

Shape SliceSelection::resultShape() const {
    Shape shape;
    for (const auto& dim : dims_) {
        if (!dim.squeezed) {
            shape.push_back(dim.length);
        }
    }
    return shape;
}

StridedLayout SliceSelection::layout(const Shape& shape) const {
    auto layout = denseLayout(shape);
    for (std::size_t d = 0; d < dims_.size(); ++d) {
        layout.offset += dims_[d].start * layout.strides[d];
        layout.strides[d] *= dims_[d].step;
    }
    return layout;
}

} // namespace platform::coreml::mil::shapeops
