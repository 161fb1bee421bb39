#pragma once
// The checked arguments every recurrent layer shares: its direction, the sizes
// its input and weights agree on, and float elements of exact shapes.

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/PackedMatrix.hpp"

#include <cstdint>
#include <span>
#include <string_view>

namespace platform::coreml::mil {

enum class RecurrentDirection { forward, reverse, bidirectional };

// Sizes of a recurrent layer: x is [steps, batch, inputSize] (time-major), each
// direction has `gates` blocks of `hiddenSize` rows in its weights, and the
// states are [batch, directions·hiddenSize].
struct RecurrentShape {
    std::int64_t steps = 0;
    std::int64_t batch = 0;
    std::int64_t inputSize = 0;
    std::int64_t hiddenSize = 0;
    std::int64_t gates = 0;
    std::int64_t directions = 1;
};

// The `direction` parameter ("forward" when absent); "bidirectional" only
// where the layer has weights for a backward pass.
RecurrentDirection recurrentDirection(const OpCall& call, bool bidirectionalAllowed);

// Checks x, weight_hh ([gates·H, H], which gives H) and weight_ih ([gates·H, I]).
RecurrentShape recurrentShape(const OpCall& call, std::int64_t gates, RecurrentDirection direction);

// A weight matrix of a recurrent layer: its elements, or the packed form the
// load kept it in (then `values` is empty).
struct RecurrentWeight {
    std::span<const float> values;
    const PackedMatrix* packed = nullptr;
};

// The float matrix argument `name`, which must have exactly `shape`, plain or packed.
RecurrentWeight weightMatrix(const OpCall& call, std::string_view name, const Shape& shape);

// Elements of the float argument `name`, which must have exactly `shape`.
std::span<const float> floatElements(const OpCall& call, std::string_view name, const Shape& shape);
// Elements of an optional float vector of `size` values; empty when absent.
std::span<const float> optionalFloatVector(const OpCall& call, std::string_view name, std::int64_t size);

} // namespace platform::coreml::mil
