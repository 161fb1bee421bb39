#include "Platform/CoreML/MIL/Ops/RecurrentArguments.hpp"

#include <climits>
#include <string>

namespace platform::coreml::mil {
namespace {

const Tensor& floatInput(const OpCall& call, std::string_view name) {
    const auto& tensor = call.input(name);
    if (tensor.kind() != StorageKind::float32) {
        call.fail("the argument \"" + std::string(name) + "\" must be a float tensor, not " +
                  std::string(dataTypeName(tensor.dataType())));
    }
    return tensor;
}

// The matrix products take their sizes as int.
void requireProductSize(const OpCall& call, std::int64_t value) {
    if (value > INT_MAX) {
        call.fail("the layer is too large to compute");
    }
}

} // namespace

RecurrentDirection recurrentDirection(const OpCall& call, bool bidirectionalAllowed) {
    const auto name = call.textParameter("direction", std::string("forward"));
    if (name == "forward") {
        return RecurrentDirection::forward;
    }
    if (name == "reverse") {
        return RecurrentDirection::reverse;
    }
    if (name == "bidirectional" && bidirectionalAllowed) {
        return RecurrentDirection::bidirectional;
    }
    call.fail("the direction \"" + name + "\" is not one of " +
              (bidirectionalAllowed ? "forward, reverse, bidirectional" : "forward, reverse"));
}

RecurrentShape recurrentShape(const OpCall& call, std::int64_t gates, RecurrentDirection direction) {
    const auto& x = floatInput(call, "x");
    if (x.rank() != 3) {
        call.fail("x must be [steps, batch, input], not " + describeShape(x.shape()));
    }
    const auto& weightHH = floatInput(call, "weight_hh");
    if (weightHH.rank() != 2 || weightHH.dim(0) != gates * weightHH.dim(1)) {
        call.fail("weight_hh must be [" + std::to_string(gates) + "·hidden, hidden], not " +
                  describeShape(weightHH.shape()));
    }
    RecurrentShape shape;
    shape.steps = x.dim(0);
    shape.batch = x.dim(1);
    shape.inputSize = x.dim(2);
    shape.hiddenSize = weightHH.dim(1);
    shape.gates = gates;
    shape.directions = direction == RecurrentDirection::bidirectional ? 2 : 1;
    requireProductSize(call, shape.steps * shape.batch);
    requireProductSize(call, gates * shape.hiddenSize * shape.directions);
    weightMatrix(call, "weight_ih", {gates * shape.hiddenSize, shape.inputSize});
    return shape;
}

namespace {

const Tensor& floatInputOfShape(const OpCall& call, std::string_view name, const Shape& shape) {
    const auto& tensor = floatInput(call, name);
    if (tensor.shape() != shape) {
        call.fail(std::string(name) + " must be " + describeShape(shape) + ", not " + describeShape(tensor.shape()));
    }
    return tensor;
}

} // namespace

RecurrentWeight weightMatrix(const OpCall& call, std::string_view name, const Shape& shape) {
    const auto& tensor = floatInputOfShape(call, name, shape);
    if (const auto* packed = tensor.packedMatrix()) {
        return {{}, packed};
    }
    return {tensor.floatValues(), nullptr};
}

std::span<const float> floatElements(const OpCall& call, std::string_view name, const Shape& shape) {
    return floatInputOfShape(call, name, shape).floatValues();
}

std::span<const float> optionalFloatVector(const OpCall& call, std::string_view name, std::int64_t size) {
    if (!call.has(name)) {
        return {};
    }
    return floatElements(call, name, {size});
}

} // namespace platform::coreml::mil

