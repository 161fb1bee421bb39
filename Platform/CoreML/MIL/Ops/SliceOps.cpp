// Reading and writing slices: the strided slices with Python semantics, slices
// by size, the slice write that KV caches use, and sliding windows.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/SliceSelection.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"

#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

Tensor sliced(const Tensor& x, const SliceSelection& selection) {
    return copyOfView(x, selection.layout(x.shape()), selection.extent()).reshaped(selection.resultShape());
}

std::vector<Tensor> sliceByIndex(const OpCall& call) {
    const auto& x = call.input("x");
    return {sliced(x, SliceSelection::fromCall(call, x.shape()))};
}

std::vector<Tensor> sliceBySize(const OpCall& call) {
    const auto& x = call.input("x");
    const auto begin = integerValues(call, call.input("begin"), "begin");
    const auto size = integerValues(call, call.input("size"), "size");
    return {sliced(x, SliceSelection::fromSizes(call, x.shape(), begin, size))};
}

// A copy of x with `update` written into the slice: one pass over x, one over the update.
std::vector<Tensor> sliceUpdate(const OpCall& call) {
    const auto& x = call.input("x");
    const auto& update = call.input("update");
    const auto selection = SliceSelection::fromCall(call, x.shape());
    if (update.shape() != selection.resultShape() && update.shape() != selection.extent()) {
        call.fail("the update " + describeShape(update.shape()) + " does not fit the slice " +
                  describeShape(selection.resultShape()) + " of " + describeShape(x.shape()));
    }
    if (update.kind() != x.kind()) {
        call.fail("cannot write " + std::string(dataTypeName(update.dataType())) + " into " +
                  std::string(dataTypeName(x.dataType())));
    }
    auto result = denseCopy(x);
    copyStrided(update, denseLayout(selection.extent()), result, selection.layout(x.shape()), selection.extent());
    return {result};
}

// Windows of `size` steps every `stride` steps along `axis`, as a new axis pair (window, step).
std::vector<Tensor> slidingWindows(const OpCall& call) {
    const auto& x = call.input("x");
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis"), x.rank()));
    const auto size = call.intParameter("size");
    const auto stride = call.intParameter("stride", 1);
    const auto length = x.shape()[axis];
    if (size < 1 || size > length || stride < 1) {
        call.fail("windows of size " + std::to_string(size) + " every " + std::to_string(stride) +
                  " steps do not fit axis " + std::to_string(axis) + " of " + describeShape(x.shape()));
    }
    auto layout = denseLayout(x.shape());
    const auto step = layout.strides[axis];
    auto extent = x.shape();
    extent[axis] = (length - size) / stride + 1;
    extent.insert(extent.begin() + static_cast<std::ptrdiff_t>(axis) + 1, size);
    layout.strides[axis] = stride * step;
    layout.strides.insert(layout.strides.begin() + static_cast<std::ptrdiff_t>(axis) + 1, step);
    return {copyOfView(x, layout, extent)};
}

} // namespace

void registerSliceOps(OpRegistry& registry) {
    registry.add("slice_by_index", {sliceByIndex, {"x", "begin", "end"}});
    registry.add("slice_by_size", {sliceBySize, {"x", "begin", "size"}});
    registry.add("slice_update", {sliceUpdate, {"x", "update", "begin", "end"}});
    registry.add("sliding_windows", {slidingWindows, {"x", "axis", "size"}});
}

} // namespace platform::coreml::mil::shapeops
