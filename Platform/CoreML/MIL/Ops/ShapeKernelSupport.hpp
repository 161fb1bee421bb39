#pragma once
// What the shape and indexing kernels share: one kernel body for every element
// storage (float, int32, byte-sized bool), checked reading of index and size
// arguments, and filled tensors.

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform::coreml::mil::shapeops {

template <class T> std::span<const T> elementsOf(const Tensor& tensor);
template <> inline std::span<const float> elementsOf<float>(const Tensor& tensor) { return tensor.floatValues(); }
template <> inline std::span<const std::int32_t> elementsOf<std::int32_t>(const Tensor& tensor) { return tensor.intValues(); }
template <> inline std::span<const std::uint8_t> elementsOf<std::uint8_t>(const Tensor& tensor) { return tensor.boolValues(); }

template <class T> std::span<T> mutableElementsOf(Tensor& tensor);
template <> inline std::span<float> mutableElementsOf<float>(Tensor& tensor) { return tensor.mutableFloatValues(); }
template <> inline std::span<std::int32_t> mutableElementsOf<std::int32_t>(Tensor& tensor) { return tensor.mutableIntValues(); }
template <> inline std::span<std::uint8_t> mutableElementsOf<std::uint8_t>(Tensor& tensor) { return tensor.mutableBoolValues(); }

// Calls `body(std::type_identity<T>{})` with the element type T that holds
// `tensor`'s elements; text has no elements to move and fails the call.
template <class Body>
decltype(auto) withElementType(const OpCall& call, const Tensor& tensor, Body&& body) {
    switch (tensor.kind()) {
    case StorageKind::float32: return body(std::type_identity<float>{});
    case StorageKind::int32: return body(std::type_identity<std::int32_t>{});
    case StorageKind::boolean: return body(std::type_identity<std::uint8_t>{});
    case StorageKind::string: break;
    }
    call.fail("a text value has no tensor elements to work on");
}

// The elements of an index, size or length argument; fails for floats and text.
std::vector<std::int64_t> integerValues(const OpCall& call, const Tensor& tensor, std::string_view name);

// `index` counted from the end when negative; fails when it is still outside [0, size).
std::int64_t checkedIndex(const OpCall& call, std::int64_t index, std::int64_t size, std::string_view what);

// Product of shape[begin, end).
std::int64_t countBetween(const Shape& shape, std::size_t begin, std::size_t end);

// The element count of `shape`; fails for negative sizes or a count too large to hold.
std::int64_t checkedCount(const OpCall& call, const Shape& shape);

// Fails unless every tensor has the storage kind of the first.
void requireSameKind(const OpCall& call, std::span<const Tensor* const> tensors, std::string_view what);

// A tensor of `type` and `shape` whose elements all equal `value` as a scalar of that type.
Tensor filledTensor(const OpCall& call, DataType type, Shape shape, double value);

} // namespace platform::coreml::mil::shapeops
