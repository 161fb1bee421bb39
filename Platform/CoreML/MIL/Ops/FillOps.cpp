// Tensors made from parameters: constant fills, ranges and one-hot codes.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"

#include <cmath>
#include <limits>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

// The declared result type; else the type of `value`; else fp32.
DataType filledType(const OpCall& call) {
    const auto* value = call.optionalInput("value");
    return call.resultDataType(0, value != nullptr ? value->dataType() : DataType::fp32);
}

std::vector<Tensor> fill(const OpCall& call) {
    const auto shape = integerValues(call, call.input("shape"), "shape");
    return {filledTensor(call, filledType(call), shape, call.floatParameter("value", 0))};
}

std::vector<Tensor> fillLike(const OpCall& call) {
    return {filledTensor(call, filledType(call), call.input("ref_tensor").shape(), call.floatParameter("value", 0))};
}

// start, start + step, ... while short of end; integers when all three are.
std::vector<Tensor> range1d(const OpCall& call) {
    const auto& endValue = call.input("end");
    const auto& startValue = call.input("start");
    const auto& stepValue = call.input("step");
    const bool integral = startValue.kind() == StorageKind::int32 && endValue.kind() == StorageKind::int32 &&
                          stepValue.kind() == StorageKind::int32;
    const auto type = call.resultDataType(0, integral ? DataType::int32 : DataType::fp32);
    const auto start = call.floatParameter("start");
    const auto end = call.floatParameter("end");
    const auto step = call.floatParameter("step");
    if (step == 0 || !std::isfinite(start) || !std::isfinite(end) || !std::isfinite(step)) {
        call.fail("cannot count from " + std::to_string(start) + " to " + std::to_string(end) + " in steps of " +
                  std::to_string(step));
    }
    const auto steps = std::ceil((end - start) / step);
    if (steps > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        call.fail("a range from " + std::to_string(start) + " to " + std::to_string(end) + " in steps of " +
                  std::to_string(step) + " is too long");
    }
    const auto count = steps > 0 ? static_cast<std::int64_t>(steps) : 0;
    Tensor result(type, {count});
    withElementType(call, result, [&]<class T>(std::type_identity<T>) {
        auto values = mutableElementsOf<T>(result);
        for (std::int64_t i = 0; i < count; ++i) {
            values[static_cast<std::size_t>(i)] = static_cast<T>(start + static_cast<double>(i) * step);
        }
    });
    return {result};
}

// Output indices.shape with a new axis of one_hot_vector_size: on where the position equals the index.
std::vector<Tensor> oneHot(const OpCall& call) {
    const auto& indices = call.input("indices");
    const auto depth = call.intParameter("one_hot_vector_size");
    if (depth < 0) {
        call.fail("one_hot_vector_size is " + std::to_string(depth));
    }
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis", -1), indices.rank() + 1));
    const auto* on = call.optionalInput("on_value");
    const auto* off = call.optionalInput("off_value");
    const auto fallback = on != nullptr ? on->dataType() : (off != nullptr ? off->dataType() : DataType::int32);
    const auto type = call.resultDataType(0, fallback);
    Shape shape = indices.shape();
    shape.insert(shape.begin() + static_cast<std::ptrdiff_t>(axis), depth);
    auto result = filledTensor(call, type, shape, call.floatParameter("off_value", 0));
    const auto onElement = Tensor::scalar(type, call.floatParameter("on_value", 1));
    const auto index = integerValues(call, indices, "indices");
    const auto inner = countBetween(indices.shape(), axis, indices.shape().size());
    withElementType(call, result, [&]<class T>(std::type_identity<T>) {
        auto values = mutableElementsOf<T>(result);
        for (std::size_t i = 0; i < index.size(); ++i) {
            const auto position = index[i];
            if (position < 0 || position >= depth) {
                call.fail("the index " + std::to_string(position) + " is outside one_hot_vector_size " +
                          std::to_string(depth));
            }
            const auto outer = static_cast<std::int64_t>(i) / inner;
            const auto within = static_cast<std::int64_t>(i) % inner;
            values[static_cast<std::size_t>((outer * depth + position) * inner + within)] = elementsOf<T>(onElement)[0];
        }
    });
    return {result};
}

} // namespace

void registerFillOps(OpRegistry& registry) {
    registry.add("fill", {fill, {"shape"}});
    registry.add("fill_like", {fillLike, {"ref_tensor"}});
    registry.add("range_1d", {range1d, {"end", "start", "step"}});
    registry.add("one_hot", {oneHot, {"indices", "one_hot_vector_size"}});
}

} // namespace platform::coreml::mil::shapeops
