#include "RazeziRuzer/Shared/ANEMemoryOptimizer.hpp"

#include "Platform/Accel/VectorOps.hpp"
#include "Platform/CoreML/ArrayLayout.hpp"
#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"
#include "RazeziRuzer/Shared/ArrayViewLayout.hpp"

#include <algorithm>
#include <cstring>
#include <exception>

namespace razeziruzer {

namespace layout = platform::coreml::layout;

namespace {

// Calls write(element, stride, index, length) for the part of each innermost
// row of a float32 array that falls in the row-major element range
// [begin, end): `element` addresses the part's first element, `stride` is the
// row's element stride and `index` the row-major index of that first element.
template <typename Write>
void forEachRowPart(const platform::coreml::MLMultiArray& array, std::int64_t begin, std::int64_t end, Write&& write) {
    if (begin >= end) return;
    const auto rowLength = array.shape().back();
    const auto stride = array.strides().back();
    auto* data = array.dataPointer<float>();
    std::int64_t rowStart = 0;
    layout::forEachRow(array.shape(), array.strides(), array.strides(), [&](std::int64_t row, std::int64_t) {
        const auto first = std::max(begin, rowStart);
        const auto last = std::min(end, rowStart + rowLength);
        if (first < last) write(data + row + (first - rowStart) * stride, stride, first, last - first);
        rowStart += rowLength;
    });
}

} // namespace

ANEMemoryOptimizer::MLMultiArray ANEMemoryOptimizer::createAlignedArray(const std::vector<std::int64_t>& shape,
                                                                        MLMultiArrayDataType dataType) {
    try {
        return ANEMemoryUtils::createAlignedArray(shape, dataType, true);
    } catch (const std::exception&) {
        throw DiarizerError::memoryAllocationFailed();
    }
}

ANEMemoryOptimizer::MLMultiArray ANEMemoryOptimizer::getPooledBuffer(const std::string& key,
                                                                     const std::vector<std::int64_t>& shape,
                                                                     MLMultiArrayDataType dataType) {
    const std::lock_guard lock(bufferLock);
    if (const auto pooled = bufferPool.find(key); pooled != bufferPool.end()) {
        const auto& array = pooled->second;
        if (array.shape() == shape && array.dataType() == dataType) return array;
    }
    return makePooledArray(key, shape, dataType);
}

void ANEMemoryOptimizer::initializePooledBuffer(const std::string& key, const std::vector<std::int64_t>& shape,
                                                MLMultiArrayDataType dataType) {
    const std::lock_guard lock(bufferLock);
    makePooledArray(key, shape, dataType);
}

void ANEMemoryOptimizer::clearBufferPool() {
    const std::lock_guard lock(bufferLock);
    bufferPool.clear();
}

ANEMemoryOptimizer::MLMultiArray ANEMemoryOptimizer::makePooledArray(const std::string& key,
                                                                     const std::vector<std::int64_t>& shape,
                                                                     MLMultiArrayDataType dataType) {
    auto array = createAlignedArray(shape, dataType);
    bufferPool.insert_or_assign(key, array);
    return array;
}

void ANEMemoryOptimizer::optimizedCopy(std::span<const float> from, const MLMultiArray& to, std::int64_t offset,
                                       bool pad) {
    if (to.dataType() != MLMultiArrayDataType::float32) return;
    if (offset < 0 || offset > to.count()) throw DiarizerError::invalidArrayBounds();
    const auto copied = std::min(to.count() - offset, static_cast<std::int64_t>(from.size()));
    forEachRowPart(to, offset, offset + copied,
                   [&](float* element, std::int64_t stride, std::int64_t index, std::int64_t length) {
                       const auto* value = from.data() + (index - offset);
                       if (stride == 1) {
                           std::memmove(element, value, static_cast<std::size_t>(length) * sizeof(float));
                           return;
                       }
                       for (std::int64_t i = 0; i < length; ++i) element[i * stride] = value[i];
                   });
    if (!pad) return;
    forEachRowPart(to, offset + copied, to.count(),
                   [](float* element, std::int64_t stride, std::int64_t, std::int64_t length) {
                       if (stride == 1) {
                           platform::accel::fill(std::span(element, static_cast<std::size_t>(length)), 0.0F);
                           return;
                       }
                       for (std::int64_t i = 0; i < length; ++i) element[i * stride] = 0.0F;
                   });
}

ANEMemoryOptimizer::MLMultiArray ANEMemoryOptimizer::createZeroCopyView(const MLMultiArray& from,
                                                                        const std::vector<std::int64_t>& shape,
                                                                        std::int64_t offset) {
    if (std::ranges::any_of(shape, [](std::int64_t dimension) { return dimension < 0; })) {
        throw DiarizerError::invalidArrayBounds();
    }
    const auto viewCount = layout::elementCount(shape);
    if (offset < 0 || offset > from.count() || viewCount > from.count() - offset) {
        throw DiarizerError::invalidArrayBounds();
    }
    const auto window = arrayviewlayout::windowOverElements(from.shape(), from.strides(), offset, shape);
    if (!window) throw DiarizerError::invalidArrayBounds();
    auto* start = static_cast<std::byte*>(from.dataPointer()) +
                  window->memoryOffset * static_cast<std::int64_t>(ANEMemoryUtils::getElementSize(from.dataType()));
    return {start, shape, from.dataType(), window->strides, [from](void*) { (void)from; }};
}

} // namespace razeziruzer
