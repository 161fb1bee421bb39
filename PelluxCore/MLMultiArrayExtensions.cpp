#include "PelluxCore/MLMultiArrayExtensions.hpp"

#include "PelluxCore/MLArrayArgumentError.hpp"
#include "PelluxCore/MLMultiArrayCreationError.hpp"

#include "Platform/CoreML/ArrayLayout.hpp"

#include <algorithm>
#include <exception>
#include <limits>
#include <string>

namespace pelluxcore {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

std::optional<HalfPixelBuffer> pixelBuffer(const std::vector<std::int64_t>& shape) {
    if (shape.empty()) return std::nullopt;
    const std::int64_t width = shape.back();
    const std::span<const std::int64_t> rows(shape.data(), shape.size() - 1);
    try {
        const std::int64_t height = rows.empty() ? 1 : platform::coreml::layout::elementCount(rows);
        if (width < 0) return std::nullopt;
        MLMultiArray pixels({height, width}, MLMultiArrayDataType::float16);
        return HalfPixelBuffer{width, height, std::move(pixels)};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

MLMultiArray makeMultiArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType) {
    if (dataType != MLMultiArrayDataType::float16) return MLMultiArray(shape, dataType);
    auto buffer = pixelBuffer(shape);
    if (!buffer) throw MLMultiArrayCreationError::pixelBufferFailed();
    // The array keeps the pixel buffer alive through its deallocator.
    const MLMultiArray pixels = buffer->pixels;
    return MLMultiArray(pixels.dataPointer(), shape, dataType,
                        platform::coreml::layout::rowMajorStrides(shape), [pixels](void*) {});
}

MLMultiArray multiArrayFrom(std::span<const std::int64_t> values, int dims) {
    if (dims < 1) throw MLArrayArgumentError("Dimension count must be at least 1, got " + std::to_string(dims));
    const auto outside = std::find_if(values.begin(), values.end(), [](std::int64_t value) {
        return value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max();
    });
    if (outside != values.end()) {
        throw MLArrayArgumentError("Value " + std::to_string(*outside) + " is outside the 32-bit integer range");
    }
    std::vector<std::int64_t> shape(static_cast<std::size_t>(dims), 1);
    shape.back() = static_cast<std::int64_t>(values.size());
    MLMultiArray array(shape, MLMultiArrayDataType::int32);
    std::int32_t* data = array.dataPointer<std::int32_t>();
    std::transform(values.begin(), values.end(), data, [](std::int64_t value) { return static_cast<std::int32_t>(value); });
    return array;
}

std::int64_t linearOffset(const MLMultiArray& array, std::span<const std::int64_t> index,
                          std::optional<std::span<const std::int64_t>> strides) {
    const std::span<const std::int64_t> used = strides ? *strides : std::span<const std::int64_t>(array.strides());
    const std::size_t count = std::min(index.size(), used.size());
    std::int64_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) offset += index[i] * used[i];
    return offset;
}

void fillLastDimension(const MLMultiArray& array, IndexRange indexes, float value) {
    const auto& shape = array.shape();
    if (shape.size() != 3 || shape[0] != 1 || shape[1] != 1 || array.dataType() != MLMultiArrayDataType::float32) {
        throw MLArrayArgumentError("fillLastDimension needs a float32 array of shape [1, 1, N], got " +
                                   platform::coreml::dataTypeName(array.dataType()) + " " +
                                   platform::coreml::layout::describe(shape));
    }
    if (indexes.lowerBound < 0 || indexes.lowerBound > indexes.upperBound || indexes.upperBound > shape[2]) {
        throw MLArrayArgumentError("Range " + std::to_string(indexes.lowerBound) + "..<" +
                                   std::to_string(indexes.upperBound) + " is outside the last dimension of " +
                                   std::to_string(shape[2]));
    }
    float* data = array.dataPointer<float>();
    const std::int64_t stride = array.strides()[2];
    for (std::int64_t i = indexes.lowerBound; i < indexes.upperBound; ++i) data[i * stride] = value;
}

} // namespace pelluxcore
