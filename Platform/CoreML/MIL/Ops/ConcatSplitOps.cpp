// Joining tensors along an axis and cutting one into pieces.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"

#include <algorithm>
#include <numeric>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

std::vector<const Tensor*> joinedValues(const OpCall& call) {
    auto values = call.inputs("values");
    if (values.empty()) {
        call.fail("\"values\" holds no tensors");
    }
    requireSameKind(call, values, "the values");
    return values;
}

// Joins `values` along `axis`: one after another, or one slice of each in turn when interleaving.
Tensor joined(const OpCall& call, const std::vector<const Tensor*>& values, std::int64_t axis, bool interleave) {
    const auto& first = values.front()->shape();
    const auto at = static_cast<std::size_t>(axis);
    Shape shape = first;
    shape[at] = 0;
    for (const auto* value : values) {
        auto expected = first;
        auto actual = value->shape();
        if (!interleave && actual.size() == expected.size()) {
            expected[at] = actual[at];
        }
        if (actual != expected) {
            call.fail("cannot join " + describeShape(actual) + " to " + describeShape(first) + " along axis " +
                      std::to_string(axis));
        }
        shape[at] += actual[at];
    }
    Tensor result(values.front()->dataType(), shape);
    auto to = denseLayout(shape);
    const auto axisStride = to.strides[at];
    if (interleave) {
        to.strides[at] *= static_cast<std::int64_t>(values.size());
    }
    for (const auto* value : values) {
        copyStrided(*value, denseLayout(value->shape()), result, to, value->shape());
        to.offset += interleave ? axisStride : value->shape()[at] * axisStride;
    }
    return result;
}

std::vector<Tensor> concat(const OpCall& call) {
    const auto values = joinedValues(call);
    const auto axis = normaliseAxis(call, call.intParameter("axis"), values.front()->rank());
    return {joined(call, values, axis, call.boolParameter("interleave", false))};
}

std::vector<Tensor> stack(const OpCall& call) {
    const auto values = joinedValues(call);
    const auto rank = values.front()->rank();
    const auto axis = normaliseAxis(call, call.intParameter("axis"), rank + 1);
    std::vector<Tensor> expanded;
    for (const auto* value : values) {
        if (value->shape() != values.front()->shape()) {
            call.fail("cannot stack " + describeShape(value->shape()) + " with " + describeShape(values.front()->shape()));
        }
        auto shape = value->shape();
        shape.insert(shape.begin() + axis, 1);
        expanded.push_back(value->reshaped(std::move(shape)));
    }
    std::vector<const Tensor*> members;
    for (const auto& value : expanded) {
        members.push_back(&value);
    }
    return {joined(call, members, axis, false)};
}

std::vector<std::int64_t> splitSizes(const OpCall& call, std::int64_t size) {
    if (call.has("split_sizes")) {
        auto sizes = integerValues(call, call.input("split_sizes"), "split_sizes");
        const auto total = std::accumulate(sizes.begin(), sizes.end(), std::int64_t{0});
        const bool negative = std::ranges::any_of(sizes, [](auto piece) { return piece < 0; });
        if (negative || total != size) {
            call.fail("split_sizes " + describeShape(sizes) + " do not add up to the axis size " + std::to_string(size));
        }
        return sizes;
    }
    const auto count = call.has("num_splits") ? call.intParameter("num_splits")
                                              : static_cast<std::int64_t>(call.results().size());
    if (count < 1 || size % count != 0) {
        call.fail("an axis of size " + std::to_string(size) + " cannot be split into " + std::to_string(count) +
                  " equal pieces");
    }
    return std::vector<std::int64_t>(static_cast<std::size_t>(count), size / count);
}

std::vector<Tensor> split(const OpCall& call) {
    const auto& x = call.input("x");
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis"), x.rank()));
    const auto sizes = splitSizes(call, x.shape()[axis]);
    if (!call.results().empty() && call.results().size() != sizes.size()) {
        call.fail("the program declares " + std::to_string(call.results().size()) + " results for " +
                  std::to_string(sizes.size()) + " pieces of " + describeShape(x.shape()));
    }
    auto from = denseLayout(x.shape());
    std::vector<Tensor> pieces;
    for (const auto size : sizes) {
        auto extent = x.shape();
        extent[axis] = size;
        pieces.push_back(copyOfView(x, from, extent));
        from.offset += size * from.strides[axis];
    }
    return pieces;
}

} // namespace

void registerConcatSplitOps(OpRegistry& registry) {
    registry.add("concat", {concat, {"values", "axis"}});
    registry.add("stack", {stack, {"values", "axis"}});
    registry.add("split", {split, {"x", "axis"}});
}

} // namespace platform::coreml::mil::shapeops
