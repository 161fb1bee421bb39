// Operations that relabel a tensor's shape without moving elements; their
// results share the input's storage.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"

#include <algorithm>
#include <optional>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

// In `wanted`, -1 is inferred from the element count and 0 copies the input's
// size when `wanted` has the input's rank.
Shape resolvedShape(const OpCall& call, const Tensor& x, const std::vector<std::int64_t>& wanted) {
    const bool zeroCopies = wanted.size() == x.shape().size();
    Shape shape = wanted;
    std::optional<std::size_t> inferred;
    Shape known;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 0 && zeroCopies) {
            shape[i] = x.shape()[i];
        }
        if (shape[i] == -1) {
            if (inferred) {
                call.fail("the shape " + describeShape(wanted) + " has more than one -1");
            }
            inferred = i;
            continue;
        }
        known.push_back(shape[i]);
    }
    const auto knownCount = checkedCount(call, known);
    if (inferred) {
        if (knownCount == 0 || x.count() % knownCount != 0) {
            call.fail("cannot reshape " + describeShape(x.shape()) + " to " + describeShape(wanted) +
                      ": the -1 cannot be inferred");
        }
        shape[*inferred] = x.count() / knownCount;
    }
    if (elementCount(shape) != x.count()) {
        call.fail("cannot reshape " + describeShape(x.shape()) + " (" + std::to_string(x.count()) + " elements) to " +
                  describeShape(shape) + " (" + std::to_string(knownCount) + " elements)");
    }
    return shape;
}

std::vector<Tensor> reshape(const OpCall& call) {
    const auto& x = call.input("x");
    return {x.reshaped(resolvedShape(call, x, integerValues(call, call.input("shape"), "shape")))};
}

std::vector<Tensor> expandDims(const OpCall& call) {
    const auto& x = call.input("x");
    const auto axes = integerValues(call, call.input("axes"), "axes");
    const auto rank = x.rank() + static_cast<std::int64_t>(axes.size());
    std::vector<bool> inserted(static_cast<std::size_t>(rank), false);
    for (const auto axis : axes) {
        const auto normalised = static_cast<std::size_t>(normaliseAxis(call, axis, rank));
        if (inserted[normalised]) {
            call.fail("axis " + std::to_string(axis) + " is named twice in expand_dims of " + describeShape(x.shape()));
        }
        inserted[normalised] = true;
    }
    Shape shape;
    auto next = x.shape().begin();
    for (const bool isNew : inserted) {
        shape.push_back(isNew ? 1 : *next++);
    }
    return {x.reshaped(std::move(shape))};
}

std::vector<Tensor> squeeze(const OpCall& call) {
    const auto& x = call.input("x");
    std::vector<bool> dropped(x.shape().size(), false);
    if (call.has("axes")) {
        for (const auto axis : integerValues(call, call.input("axes"), "axes")) {
            const auto normalised = static_cast<std::size_t>(normaliseAxis(call, axis, x.rank()));
            if (x.shape()[normalised] != 1 || dropped[normalised]) {
                call.fail("cannot squeeze axis " + std::to_string(axis) + " of " + describeShape(x.shape()));
            }
            dropped[normalised] = true;
        }
    } else {
        for (std::size_t d = 0; d < dropped.size(); ++d) {
            dropped[d] = x.shape()[d] == 1;
        }
    }
    Shape shape;
    for (std::size_t d = 0; d < dropped.size(); ++d) {
        if (!dropped[d]) {
            shape.push_back(x.shape()[d]);
        }
    }
    return {x.reshaped(std::move(shape))};
}

std::vector<Tensor> flatten2d(const OpCall& call) {
    const auto& x = call.input("x");
    const auto axis = call.intParameter("axis", 1);
    const auto split = axis < 0 ? axis + x.rank() : axis;
    if (split < 0 || split > x.rank()) {
        call.fail("axis " + std::to_string(axis) + " is outside " + describeShape(x.shape()));
    }
    const auto at = static_cast<std::size_t>(split);
    return {x.reshaped({countBetween(x.shape(), 0, at), countBetween(x.shape(), at, x.shape().size())})};
}

std::vector<Tensor> reshapeLike(const OpCall& call) {
    const auto& x = call.input("x");
    const auto references = call.inputs("ref_tensors");
    const auto begins = integerValues(call, call.input("begins"), "begins");
    const auto ends = integerValues(call, call.input("ends"), "ends");
    const auto endMasks = integerValues(call, call.input("end_masks"), "end_masks");
    if (begins.size() != references.size() || ends.size() != references.size() ||
        endMasks.size() != references.size()) {
        call.fail("begins, ends and end_masks need one entry for each of the " + std::to_string(references.size()) +
                  " reference tensors");
    }
    Shape shape;
    for (std::size_t i = 0; i < references.size(); ++i) {
        const auto& reference = references[i]->shape();
        const auto rank = static_cast<std::int64_t>(reference.size());
        const auto begin = begins[i] < 0 ? begins[i] + rank : begins[i];
        const auto end = endMasks[i] != 0 ? rank : (ends[i] < 0 ? ends[i] + rank : ends[i]);
        if (begin < 0 || end > rank || begin > end) {
            call.fail("the range " + std::to_string(begins[i]) + ".." + std::to_string(ends[i]) +
                      " does not fit the reference shape " + describeShape(reference));
        }
        shape.insert(shape.end(), reference.begin() + begin, reference.begin() + end);
    }
    if (elementCount(shape) != x.count()) {
        call.fail("cannot reshape " + describeShape(x.shape()) + " to " + describeShape(shape));
    }
    return {x.reshaped(std::move(shape))};
}

std::vector<Tensor> shapeOf(const OpCall& call) {
    const auto& x = call.input("x");
    const auto declared = call.resultDataType(0, DataType::int32);
    Tensor result(storageKind(declared) == StorageKind::int32 ? declared : DataType::int32, {x.rank()});
    std::ranges::transform(x.shape(), result.mutableIntValues().begin(),
                           [](auto size) { return static_cast<std::int32_t>(size); });
    return {result};
}

} // namespace

void registerReshapeOps(OpRegistry& registry) {
    registry.add("reshape", {reshape, {"x", "shape"}});
    registry.add("expand_dims", {expandDims, {"x", "axes"}});
    registry.add("squeeze", {squeeze, {"x"}});
    registry.add("flatten2d", {flatten2d, {"x"}});
    registry.add("reshape_like", {reshapeLike, {"x", "ref_tensors", "begins", "ends", "end_masks"}});
    registry.add("shape", {shapeOf, {"x"}});
}

} // namespace platform::coreml::mil::shapeops
