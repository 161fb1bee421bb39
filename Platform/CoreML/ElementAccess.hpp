#pragma once
// Reading and writing one stored element of any multi-array data type as a
// double. Writes into integer types truncate toward zero and saturate at the
// type's limits (NaN stores 0); float16 goes through the half-precision
// conversion of the numerics layer.

#include "Platform/CoreML/MLMultiArrayDataType.hpp"

#include <cstdint>

namespace platform::coreml {

double readElement(const void* address, MLMultiArrayDataType type);
void writeElement(void* address, MLMultiArrayDataType type, double value);

// The same truncating, saturating conversion for callers reading integers.
std::int32_t toInt32(double value);
std::int64_t toInt64(double value);

} // namespace platform::coreml
