#pragma once
// Moves values between the multi-arrays callers hand to a model and the
// interpreter's tensors, converting element types on the way.

#include "Platform/CoreML/MIL/Tensor.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

namespace platform::coreml::mil {

// The multi-array element type that carries values of a program type
// (integer types other than int8 travel as int32, bool as int32).
MLMultiArrayDataType multiArrayDataType(DataType type);

// A tensor of the given type with the array's shape and elements (any strides).
Tensor toTensor(const MLMultiArray& array, DataType type);
// A fresh dense multi-array of the given element type holding the tensor's elements.
MLMultiArray toMultiArray(const Tensor& tensor, MLMultiArrayDataType type);
// Writes the tensor's elements into an existing array of the same shape.
void copyInto(const Tensor& tensor, const MLMultiArray& array);

} // namespace platform::coreml::mil
