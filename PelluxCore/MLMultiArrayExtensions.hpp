#pragma once
// Constructors and in-place fills of model arrays that the decoder uses for
// its inputs, caches, masks and logit suppression.

#include "PelluxCore/HalfPixelBuffer.hpp"

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

namespace pelluxcore {

// A new array of that shape and type. float16 arrays lie on a half pixel
// buffer and fail with MLMultiArrayCreationError when none can be made;
// other types fail as the runtime's constructor does.
platform::coreml::MLMultiArray makeMultiArray(const std::vector<std::int64_t>& shape,
                                              platform::coreml::MLMultiArrayDataType dataType);

// True when a value of type Value is what an array of that type is filled
// with: float for float32 and float16, double for float64, int32 and int8
// for their own types.
template <typename Value>
constexpr bool isInitialValueType(platform::coreml::MLMultiArrayDataType dataType) {
    using platform::coreml::MLMultiArrayDataType;
    switch (dataType) {
    case MLMultiArrayDataType::float32:
    case MLMultiArrayDataType::float16: return std::is_same_v<Value, float>;
    case MLMultiArrayDataType::float64: return std::is_same_v<Value, double>;
    case MLMultiArrayDataType::int32: return std::is_same_v<Value, std::int32_t>;
    case MLMultiArrayDataType::int8: return std::is_same_v<Value, std::int8_t>;
    }
    return false;
}

// A new array with every element set to initialValue when its type matches
// the data type (see isInitialValueType); otherwise the array stays zeroed.
template <typename Value>
platform::coreml::MLMultiArray makeMultiArray(const std::vector<std::int64_t>& shape,
                                              platform::coreml::MLMultiArrayDataType dataType, Value initialValue) {
    auto array = makeMultiArray(shape, dataType);
    if constexpr (std::is_arithmetic_v<Value>) {
        if (isInitialValueType<Value>(dataType)) array.fill(static_cast<double>(initialValue));
    }
    return array;
}

// The half pixel buffer for an array shape: width = last dimension, height =
// product of the others. None for an empty shape or one too large to allocate.
std::optional<HalfPixelBuffer> pixelBuffer(const std::vector<std::int64_t>& shape);

// An int32 array of shape [1, ..., 1, values.size()] with `dims` dimensions
// holding the values in order. Throws MLArrayArgumentError for dims below 1
// or a value outside the int32 range.
platform::coreml::MLMultiArray multiArrayFrom(std::span<const std::int64_t> values, int dims);

// Sum of index[i] × strides[i] over the positions both have; the array's own
// strides when none are given.
std::int64_t linearOffset(const platform::coreml::MLMultiArray& array, std::span<const std::int64_t> index,
                          std::optional<std::span<const std::int64_t>> strides = std::nullopt);

// Writes the value at each index (one entry per dimension, inside the array).
// Value must be the array's storage type (std::uint16_t bits for float16);
// another type throws before anything is written.
template <typename Value>
void fill(const platform::coreml::MLMultiArray& array, const std::vector<std::vector<std::int64_t>>& indexes,
          Value value) {
    Value* data = array.dataPointer<Value>();
    const auto& strides = array.strides();
    for (const auto& index : indexes) {
        data[linearOffset(array, index, std::span<const std::int64_t>(strides))] = value;
    }
}

struct IndexRange {
    std::int64_t lowerBound = 0;
    std::int64_t upperBound = 0; // excluded
};

// Sets positions [lowerBound, upperBound) of a [1, 1, N] float32 array.
// Throws MLArrayArgumentError, writing nothing, for another shape or type or
// a range outside the last dimension.
void fillLastDimension(const platform::coreml::MLMultiArray& array, IndexRange indexes, float value);

} // namespace pelluxcore
