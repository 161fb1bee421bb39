#include "Platform/CoreML/ArrayLayout.hpp"

#include "Platform/CoreML/MLModelError.hpp"

#include <string>

namespace platform::coreml::layout {

std::int64_t elementCount(std::span<const std::int64_t> shape) {
    std::int64_t count = 1;
    for (const auto dimension : shape) {
        if (dimension < 0) {
            throw MLModelError(MLModelErrorKind::generic,
                               "Multi-array dimensions must not be negative, got " + std::to_string(dimension));
        }
        if (__builtin_mul_overflow(count, dimension, &count)) {
            throw MLModelError(MLModelErrorKind::generic, "Multi-array shape has too many elements");
        }
    }
    return count;
}

Dimensions rowMajorStrides(std::span<const std::int64_t> shape) {
    Dimensions strides(shape.size(), 1);
    std::int64_t stride = 1;
    for (auto axis = shape.size(); axis-- > 0;) {
        strides[axis] = stride;
        stride *= shape[axis];
    }
    return strides;
}

bool isRowMajor(std::span<const std::int64_t> shape, std::span<const std::int64_t> strides) {
    if (shape.size() != strides.size()) {
        return false;
    }
    std::int64_t expected = 1;
    for (auto axis = shape.size(); axis-- > 0;) {
        if (shape[axis] != 1 && strides[axis] != expected) {
            return false;
        }
        expected *= shape[axis];
    }
    return true;
}

std::int64_t offsetOfLinearIndex(std::span<const std::int64_t> shape, std::span<const std::int64_t> strides,
                                 std::int64_t linearIndex) {
    std::int64_t offset = 0;
    for (auto axis = shape.size(); axis-- > 0;) {
        offset += (linearIndex % shape[axis]) * strides[axis];
        linearIndex /= shape[axis];
    }
    return offset;
}

std::string describe(std::span<const std::int64_t> dimensions) {
    std::string text = "[";
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(dimensions[i]);
    }
    return text + "]";
}

std::int64_t offsetOfIndices(std::span<const std::int64_t> strides, std::span<const std::int64_t> indices) {
    std::int64_t offset = 0;
    for (std::size_t axis = 0; axis < indices.size(); ++axis) {
        offset += indices[axis] * strides[axis];
    }
    return offset;
}

} // namespace platform::coreml::layout
