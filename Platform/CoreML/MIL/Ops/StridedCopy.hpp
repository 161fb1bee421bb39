#pragma once
// Element moves between strided views of dense tensors. Most rearranging
// operations (transpose, slices, tiles, reversals, concatenation, the KV-cache
// slice write) are one or a few such copies.

#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <vector>

namespace platform::coreml::mil::shapeops {

// Where a view's elements lie in a tensor's dense storage: the position of the
// first element and, per dimension, the step between neighbours (zero repeats
// an element, a negative step walks backwards).
struct StridedLayout {
    std::int64_t offset = 0;
    std::vector<std::int64_t> strides;
};

std::vector<std::int64_t> denseStrides(const Shape& shape);
StridedLayout denseLayout(const Shape& shape);

// Copies the view `from` of `source` into the view `to` of `target`; both
// views have the shape `extent`, both tensors the same storage kind. A view
// reaching outside its tensor throws rather than touching memory.
void copyStrided(const Tensor& source, const StridedLayout& from, Tensor& target, const StridedLayout& to,
                 const Shape& extent);

// A fresh dense tensor of `source`'s type and the shape `extent` holding the view `from`.
Tensor copyOfView(const Tensor& source, const StridedLayout& from, const Shape& extent);

// A fresh copy of `source` with the same type and shape.
Tensor denseCopy(const Tensor& source);

} // namespace platform::coreml::mil::shapeops
