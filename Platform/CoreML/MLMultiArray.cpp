#include "Platform/CoreML/MLMultiArray.hpp"

#include "Platform/CoreML/ArrayLayout.hpp"
#include "Platform/CoreML/ElementAccess.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace platform::coreml {
namespace {

using layout::describe;

constexpr std::size_t storageAlignment = 64;

std::shared_ptr<void> allocateZeroed(std::size_t bytes) {
    const auto size = (std::max<std::size_t>(bytes, 1) + storageAlignment - 1) / storageAlignment * storageAlignment;
    void* memory = ::operator new(size, std::align_val_t{storageAlignment});
    std::memset(memory, 0, size);
    return {memory, [](void* pointer) { ::operator delete(pointer, std::align_val_t{storageAlignment}); }};
}

void checkShape(const std::vector<std::int64_t>& shape) {
    if (shape.empty()) {
        throw MLModelError(MLModelErrorKind::generic, "A multi-array needs at least one dimension");
    }
}

} // namespace

double MLMultiArray::Element::doubleValue() const { return readElement(address_, type_); }

std::int32_t MLMultiArray::Element::int32Value() const { return toInt32(doubleValue()); }

MLMultiArray::Element& MLMultiArray::Element::operator=(double value) {
    writeElement(address_, type_, value);
    return *this;
}

MLMultiArray::MLMultiArray(std::vector<std::int64_t> shape, MLMultiArrayDataType dataType)
    : shape_(std::move(shape)), dataType_(dataType) {
    checkShape(shape_);
    count_ = layout::elementCount(shape_);
    strides_ = layout::rowMajorStrides(shape_);
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::size_t>(count_), elementSize(dataType_), &bytes)) {
        throw MLModelError(MLModelErrorKind::generic, "Multi-array shape has too many elements");
    }
    storage_ = allocateZeroed(bytes);
    data_ = storage_.get();
}

MLMultiArray::MLMultiArray(std::vector<std::int64_t> shape, MLMultiArrayDataType dataType, double initialValue)
    : MLMultiArray(std::move(shape), dataType) {
    fill(initialValue);
}

MLMultiArray::MLMultiArray(void* dataPointer, std::vector<std::int64_t> shape, MLMultiArrayDataType dataType,
                           std::vector<std::int64_t> strides, Deallocator deallocator)
    : shape_(std::move(shape)), strides_(std::move(strides)), dataType_(dataType), data_(dataPointer) {
    checkShape(shape_);
    count_ = layout::elementCount(shape_);
    if (strides_.size() != shape_.size()) {
        throw MLModelError(MLModelErrorKind::generic, "Multi-array strides " + describe(strides_) +
                                                          " do not match the shape " + describe(shape_));
    }
    if (dataPointer == nullptr && count_ > 0) {
        throw MLModelError(MLModelErrorKind::generic, "A multi-array over caller memory needs a data pointer");
    }
    // Every check is done before ownership passes to the storage handle.
    auto release = [deallocator = std::move(deallocator)](void* pointer) {
        if (deallocator) {
            deallocator(pointer);
        }
    };
    storage_ = std::shared_ptr<void>(dataPointer, std::move(release));
}

void MLMultiArray::checkTypedAccess(MLMultiArrayDataType requested) const {
    if (requested != dataType_) {
        throw MLModelError(MLModelErrorKind::generic, "Multi-array holds " + dataTypeName(dataType_) +
                                                          " elements, not " + dataTypeName(requested));
    }
}

void* MLMultiArray::addressOf(std::int64_t elementOffset) const {
    return static_cast<std::byte*>(data_) + elementOffset * static_cast<std::int64_t>(elementSize(dataType_));
}

bool MLMultiArray::isContiguous() const { return layout::isRowMajor(shape_, strides_); }

bool MLMultiArray::sharesMemory(const MLMultiArray& other) const {
    const auto extent = [](const MLMultiArray& array) {
        std::int64_t lowest = 0;
        std::int64_t highest = 0;
        for (std::size_t axis = 0; axis < array.shape_.size(); ++axis) {
            const auto reach = (array.shape_[axis] - 1) * array.strides_[axis];
            (reach < 0 ? lowest : highest) += reach;
        }
        const auto size = static_cast<std::int64_t>(elementSize(array.dataType_));
        const auto start = reinterpret_cast<std::uintptr_t>(array.data_);
        return std::pair{start + lowest * size, start + (highest + 1) * size};
    };
    if (count_ == 0 || other.count_ == 0) {
        return false;
    }
    const auto [begin, end] = extent(*this);
    const auto [otherBegin, otherEnd] = extent(other);
    return begin < otherEnd && otherBegin < end;
}

bool MLMultiArray::isIdentical(const MLMultiArray& other) const {
    return storage_ == other.storage_ && data_ == other.data_ && dataType_ == other.dataType_ &&
           shape_ == other.shape_ && strides_ == other.strides_;
}

MLMultiArray::Element MLMultiArray::operator[](std::int64_t linearIndex) const {
    if (linearIndex < 0 || linearIndex >= count_) {
        throw MLModelError(MLModelErrorKind::generic, "Index " + std::to_string(linearIndex) +
                                                          " is out of range for a multi-array of " +
                                                          std::to_string(count_) + " elements");
    }
    return {addressOf(layout::offsetOfLinearIndex(shape_, strides_, linearIndex)), dataType_};
}

MLMultiArray::Element MLMultiArray::operator[](std::initializer_list<std::int64_t> indices) const {
    return (*this)[std::span<const std::int64_t>(indices.begin(), indices.size())];
}

MLMultiArray::Element MLMultiArray::operator[](std::span<const std::int64_t> indices) const {
    bool inside = indices.size() == shape_.size();
    for (std::size_t axis = 0; inside && axis < indices.size(); ++axis) {
        inside = indices[axis] >= 0 && indices[axis] < shape_[axis];
    }
    if (!inside) {
        throw MLModelError(MLModelErrorKind::generic,
                           "Index " + describe(indices) +
                               " is out of range for a multi-array of shape " + describe(shape_));
    }
    return {addressOf(layout::offsetOfIndices(strides_, indices)), dataType_};
}

void MLMultiArray::fill(double value) const {
    const auto size = elementSize(dataType_);
    std::byte pattern[8];
    writeElement(pattern, dataType_, value);
    const auto innerLength = shape_.back();
    const auto innerStride = strides_.back();
    layout::forEachRow(shape_, strides_, strides_, [&](std::int64_t rowOffset, std::int64_t) {
        for (std::int64_t i = 0; i < innerLength; ++i) {
            std::memcpy(addressOf(rowOffset + i * innerStride), pattern, size);
        }
    });
}

void MLMultiArray::copyContents(const MLMultiArray& source) const {
    if (source.shape_ != shape_) {
        throw MLModelError(MLModelErrorKind::generic, "Cannot copy a multi-array of shape " +
                                                          describe(source.shape_) + " into one of shape " +
                                                          describe(shape_));
    }
    if (source.isIdentical(*this)) {
        return;
    }
    // Overlapping storage is read through an independent copy so that no
    // element is overwritten before it has been read.
    const MLMultiArray from = source.sharesMemory(*this) ? source.clone() : source;
    const auto innerLength = shape_.back();
    const auto sourceStride = from.strides_.back();
    const auto destinationStride = strides_.back();
    const bool sameType = from.dataType_ == dataType_;
    const auto size = elementSize(dataType_);
    layout::forEachRow(shape_, from.strides_, strides_, [&](std::int64_t sourceRow, std::int64_t destinationRow) {
        if (sameType && sourceStride == 1 && destinationStride == 1) {
            std::memcpy(addressOf(destinationRow), from.addressOf(sourceRow), size * innerLength);
            return;
        }
        for (std::int64_t i = 0; i < innerLength; ++i) {
            void* target = addressOf(destinationRow + i * destinationStride);
            const void* origin = from.addressOf(sourceRow + i * sourceStride);
            if (sameType) {
                std::memcpy(target, origin, size);
            } else {
                writeElement(target, dataType_, readElement(origin, from.dataType_));
            }
        }
    });
}

MLMultiArray MLMultiArray::clone() const {
    MLMultiArray copy(shape_, dataType_);
    copy.copyContents(*this);
    return copy;
}

} // namespace platform::coreml
