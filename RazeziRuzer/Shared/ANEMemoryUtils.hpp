#pragma once
// Model arrays in the layout the neural engine reads without repacking:
// 64-byte-aligned memory with the innermost row padded to a multiple of 16
// elements. Also views into existing arrays, layout-independent copies and
// float32-to-float16 conversion. Offsets and strides are in elements.

#include "Platform/CoreML/MLMultiArray.hpp"
#include "RazeziRuzer/Shared/ANEMemoryError.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer::ANEMemoryUtils {

using ANEMemoryError = razeziruzer::ANEMemoryError;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

inline constexpr std::size_t aneAlignment = 64; // bytes
inline constexpr std::int64_t aneTileSize = 16; // elements

// A new array owning aligned memory laid out with the optimal strides; the
// padding is part of the allocation. Throws ANEMemoryError (invalidShape for a
// negative dimension or a size beyond memory, allocationFailed when no memory
// is given); errors of the multi-array itself pass unchanged.
MLMultiArray createAlignedArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType,
                                bool zeroClear);

// Row-major strides whose innermost row is padded to a multiple of aneTileSize.
std::vector<std::int64_t> calculateOptimalStrides(const std::vector<std::int64_t>& shape);

// Bytes one stored element takes.
std::size_t getElementSize(MLMultiArrayDataType dataType);

// A view over the source's memory starting `offset` elements in, laid out with
// the given strides (else the optimal ones of the new shape). It keeps the
// source's storage alive. Throws invalidShape when any element it addresses
// lies outside the memory of the source's own elements.
MLMultiArray createZeroCopyView(const MLMultiArray& from, std::int64_t offset,
                                const std::vector<std::int64_t>& shape,
                                const std::optional<std::vector<std::int64_t>>& strides = std::nullopt);

// Copies every element between arrays of one shape and data type whatever
// their strides; padding and memory between rows are left alone. Throws
// invalidShape for different shapes, unsupportedDataType for different types.
void strideAwareCopy(const MLMultiArray& from, const MLMultiArray& to);

// A new aligned float16 array of the same shape holding the float32 source's
// elements. Throws unsupportedDataType for any other source type.
MLMultiArray convertToFloat16(const MLMultiArray& source);

} // namespace razeziruzer::ANEMemoryUtils
