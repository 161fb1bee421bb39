#include "Platform/CoreML/MIL/ArrayConversion.hpp"

#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/ArrayLayout.hpp"
#include "Platform/CoreML/MLModelError.hpp"

namespace platform::coreml::mil {
namespace {

// Numbers-only tensors go through a multi-array view of their storage; bool
// tensors first become int32.
Tensor numeric(const Tensor& tensor) {
    if (tensor.kind() == StorageKind::string) {
        throw MLModelError(MLModelErrorKind::featureType, "A text value cannot be given as a multi-array");
    }
    return tensor.kind() == StorageKind::boolean ? tensor.convertedTo(DataType::int32) : tensor;
}

MLMultiArray viewOf(const Tensor& tensor) {
    const auto& shape = tensor.shape();
    void* data = tensor.kind() == StorageKind::float32 ? static_cast<void*>(const_cast<float*>(tensor.floatValues().data()))
                                                       : static_cast<void*>(const_cast<std::int32_t*>(tensor.intValues().data()));
    const auto type = tensor.kind() == StorageKind::float32 ? MLMultiArrayDataType::float32 : MLMultiArrayDataType::int32;
    return MLMultiArray(data, shape, type, layout::rowMajorStrides(shape), {});
}

} // namespace

MLMultiArrayDataType multiArrayDataType(DataType type) {
    switch (type) {
    case DataType::fp16: return MLMultiArrayDataType::float16;
    case DataType::fp64: return MLMultiArrayDataType::float64;
    case DataType::int8: return MLMultiArrayDataType::int8;
    default: return isFloat(type) ? MLMultiArrayDataType::float32 : MLMultiArrayDataType::int32;
    }
}

Tensor toTensor(const MLMultiArray& array, DataType type) {
    const auto held = storageKind(type) == StorageKind::boolean ? DataType::int32 : type;
    // Every element is written below.
    Tensor tensor(held, array.shape(), Tensor::Unfilled{});
    if (tensor.count() > 0 && array.isContiguous() && array.dataType() == MLMultiArrayDataType::float16 && isFloat(held)) {
        // The common case of half-precision features and caches, without per-element dispatch.
        accel::convertHalfToFloat({array.dataPointer<std::uint16_t>(), static_cast<std::size_t>(array.count())},
                                  tensor.mutableFloatValues());
    } else if (tensor.count() > 0) {
        viewOf(tensor).copyContents(array);
    }
    return held == type ? tensor : tensor.convertedTo(type);
}

MLMultiArray toMultiArray(const Tensor& tensor, MLMultiArrayDataType type) {
    // A scalar travels as a one-element array.
    MLMultiArray array(tensor.rank() == 0 ? Shape{1} : tensor.shape(), type);
    copyInto(tensor, array);
    return array;
}

void copyInto(const Tensor& tensor, const MLMultiArray& array) {
    auto source = numeric(tensor);
    if (source.rank() == 0) {
        source = source.reshaped({1});
    }
    if (source.count() > 0 && source.kind() == StorageKind::float32 && array.isContiguous() &&
        array.dataType() == MLMultiArrayDataType::float16 && array.shape() == source.shape()) {
        accel::convertFloatToHalf(source.floatValues(),
                                  {array.dataPointer<std::uint16_t>(), static_cast<std::size_t>(array.count())});
    } else if (source.count() > 0) {
        array.copyContents(viewOf(source));
    }
}

} // namespace platform::coreml::mil
