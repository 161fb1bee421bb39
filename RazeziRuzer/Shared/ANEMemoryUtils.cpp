#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/ArrayLayout.hpp"
#include "RazeziRuzer/Shared/ArrayViewLayout.hpp"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

namespace razeziruzer::ANEMemoryUtils {

namespace layout = platform::coreml::layout;

namespace {

struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
};

// Elements from the first to the end of the last padded row.
std::int64_t paddedSpan(const std::vector<std::int64_t>& shape, const std::vector<std::int64_t>& strides) {
    std::int64_t elements = 0;
    if (!shape.empty() && __builtin_mul_overflow(strides.front(), shape.front(), &elements)) {
        throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    }
    return elements;
}

// Bytes to reserve for an aligned array: its whole padded span, rounded up to
// the alignment and never less than one aligned block.
std::size_t allocationSize(const std::vector<std::int64_t>& shape, const std::vector<std::int64_t>& strides,
                           std::size_t elementSize) {
    const auto elements = paddedSpan(shape, strides);
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::size_t>(elements), elementSize, &bytes) ||
        bytes > SIZE_MAX - aneAlignment) {
        throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    }
    const auto rounded = (bytes + aneAlignment - 1) / aneAlignment * aneAlignment;
    return rounded == 0 ? aneAlignment : rounded;
}

// The source's storage stays alive as long as a view over it does.
MLMultiArray::Deallocator keepAlive(const MLMultiArray& source) {
    return [source](void*) { (void)source; };
}

// Every element the view addresses must lie in the memory the source's own
// elements cover; a view without elements may start at most one past them.
bool viewFitsSource(const MLMultiArray& from, std::int64_t offset, const std::vector<std::int64_t>& shape,
                    const std::vector<std::int64_t>& strides) {
    const auto source = arrayviewlayout::memoryExtent(from.shape(), from.strides());
    const auto view = arrayviewlayout::memoryExtent(shape, strides);
    if (!view) return offset >= 0 && offset <= (source ? source->highest + 1 : 0);
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
    return source && !__builtin_add_overflow(offset, view->lowest, &lowest) &&
           !__builtin_add_overflow(offset, view->highest, &highest) && lowest >= source->lowest &&
           highest <= source->highest;
}

std::byte* elementAddress(const MLMultiArray& array, std::int64_t offset) {
    return static_cast<std::byte*>(array.dataPointer()) +
           offset * static_cast<std::int64_t>(getElementSize(array.dataType()));
}

} // namespace

std::vector<std::int64_t> calculateOptimalStrides(const std::vector<std::int64_t>& shape) {
    if (shape.empty()) return {};
    for (const auto dimension : shape) {
        if (dimension < 0 || dimension > INT64_MAX - aneTileSize) throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    }
    std::vector<std::int64_t> strides(shape.size(), 1);
    auto stride = (shape.back() + aneTileSize - 1) / aneTileSize * aneTileSize;
    for (auto axis = shape.size() - 1; axis-- > 0;) {
        strides[axis] = stride;
        if (__builtin_mul_overflow(stride, shape[axis], &stride)) throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    }
    return strides;
}

std::size_t getElementSize(MLMultiArrayDataType dataType) { return platform::coreml::elementSize(dataType); }

MLMultiArray createAlignedArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType,
                                bool zeroClear) {
    const auto strides = calculateOptimalStrides(shape);
    const auto size = allocationSize(shape, strides, getElementSize(dataType));
    std::unique_ptr<void, FreeMemory> memory(std::aligned_alloc(aneAlignment, size));
    if (!memory) throw ANEMemoryError(ANEMemoryErrorKind::allocationFailed);
    if (zeroClear) std::memset(memory.get(), 0, size);
    MLMultiArray array(memory.get(), shape, dataType, strides, FreeMemory{});
    memory.release(); // the array's deallocator owns it from here on
    return array;
}

MLMultiArray createZeroCopyView(const MLMultiArray& from, std::int64_t offset, const std::vector<std::int64_t>& shape,
                                const std::optional<std::vector<std::int64_t>>& strides) {
    auto viewStrides = strides ? *strides : calculateOptimalStrides(shape);
    if (viewStrides.size() != shape.size()) throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    for (const auto dimension : shape) {
        if (dimension < 0) throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    }
    if (!viewFitsSource(from, offset, shape, viewStrides)) throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    return {elementAddress(from, offset), shape, from.dataType(), std::move(viewStrides), keepAlive(from)};
}

void strideAwareCopy(const MLMultiArray& from, const MLMultiArray& to) {
    if (from.shape() != to.shape()) throw ANEMemoryError(ANEMemoryErrorKind::invalidShape);
    if (from.dataType() != to.dataType()) throw ANEMemoryError(ANEMemoryErrorKind::unsupportedDataType);
    if (from.count() == 0 || from.isIdentical(to)) return;
    const bool sameDenseLayout = from.strides() == to.strides() && from.isContiguous() && !from.sharesMemory(to);
    if (sameDenseLayout) {
        std::memcpy(to.dataPointer(), from.dataPointer(),
                    static_cast<std::size_t>(from.count()) * getElementSize(from.dataType()));
        return;
    }
    // Row by row through both layouts, never touching what lies between rows.
    to.copyContents(from);
}

MLMultiArray convertToFloat16(const MLMultiArray& source) {
    if (source.dataType() != MLMultiArrayDataType::float32) {
        throw ANEMemoryError(ANEMemoryErrorKind::unsupportedDataType);
    }
    auto result = createAlignedArray(source.shape(), MLMultiArrayDataType::float16, false);
    if (source.count() == 0) return result;
    const auto* input = source.dataPointer<float>();
    auto* output = result.dataPointer<std::uint16_t>();
    const auto rowLength = source.shape().back();
    const auto inputStride = source.strides().back();
    layout::forEachRow(source.shape(), source.strides(), result.strides(),
                       [&](std::int64_t inputRow, std::int64_t outputRow) {
                           if (inputStride == 1) {
                               platform::accel::convertFloatToHalf(
                                   std::span(input + inputRow, static_cast<std::size_t>(rowLength)),
                                   std::span(output + outputRow, static_cast<std::size_t>(rowLength)));
                               return;
                           }
                           for (std::int64_t i = 0; i < rowLength; ++i) {
                               output[outputRow + i] = platform::accel::floatToHalf(input[inputRow + i * inputStride]);
                           }
                       });
    return result;
}

} // namespace razeziruzer::ANEMemoryUtils
