#pragma once
// Argument checks and work sizing shared by the linear-algebra, convolution,
// pooling and normalisation kernels.

#include "Platform/CoreML/MIL/OpCall.hpp"

#include <cstdint>
#include <span>
#include <string_view>

namespace platform::coreml::mil {

// The tensor bound to `name`; fails the call unless it holds floats.
const Tensor& floatTensor(const OpCall& call, std::string_view name);

// The elements of an optional per-channel argument (a bias, gamma, a mean...):
// empty when absent, else exactly `count` floats in any shape.
std::span<const float> optionalVector(const OpCall& call, std::string_view name, std::int64_t count);
// The same for an argument that must be bound.
std::span<const float> requiredVector(const OpCall& call, std::string_view name, std::int64_t count);

// Threads of the shared pool that parallel loops spread over.
std::int64_t workerCount();

// Items per parallel range so that a range holds about one pool task's work,
// given the work (elements touched) of one item.
std::int64_t grainFor(std::int64_t workPerItem);

} // namespace platform::coreml::mil
