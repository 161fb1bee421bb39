#include "Platform/CoreML/MIL/Tensor.hpp"

#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/MIL/BrainFloat.hpp"
#include "Platform/CoreML/MIL/PackedMatrix.hpp"
#include "Platform/CoreML/MIL/TensorBufferPool.hpp"
#include "Platform/CoreML/MIL/TensorSizeLimit.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::coreml::mil {
namespace {

std::size_t elementBytes(StorageKind kind) {
    switch (kind) {
    case StorageKind::float32: return sizeof(float);
    case StorageKind::int32: return sizeof(std::int32_t);
    case StorageKind::boolean: return 1;
    case StorageKind::string: return 0;
    }
    return 0;
}

std::shared_ptr<void> allocate(StorageKind kind, std::int64_t count, bool zeroed) {
    if (kind == StorageKind::string) {
        return std::make_shared<std::string>();
    }
    const auto bytes = static_cast<std::size_t>(count) * elementBytes(kind);
    auto memory = TensorBufferPool::allocate(bytes);
    if (zeroed) {
        std::memset(memory.get(), 0, bytes);
    }
    return memory;
}

std::int32_t toInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::trunc(value), low, high));
}

float roundFloat(DataType type, float value) {
    switch (type) {
    case DataType::fp16: return accel::halfToFloat(accel::floatToHalf(value));
    case DataType::bf16: return std::isnan(value) ? value : brainFloatToFloat(floatToBrainFloat(value));
    default: return value;
    }
}

} // namespace

std::int64_t elementCount(const Shape& shape) {
    if (std::ranges::find(shape, 0) != shape.end()) {
        return 0;
    }
    std::int64_t count = 1;
    for (const auto size : shape) {
        if (__builtin_mul_overflow(count, size, &count)) {
            throw TensorSizeError("the shape " + describeShape(shape) + " has more elements than can be counted");
        }
    }
    return count;
}

std::string describeShape(const Shape& shape) {
    std::string text = "[";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(shape[i]);
    }
    return text + "]";
}

Tensor::Tensor(DataType dataType, Shape shape) : Tensor(dataType, std::move(shape), true) {}

Tensor::Tensor(DataType dataType, Shape shape, Unfilled) : Tensor(dataType, std::move(shape), false) {}

Tensor::Tensor(DataType dataType, Shape shape, bool zeroed) : dataType_(dataType), shape_(std::move(shape)) {
    for (const auto size : shape_) {
        if (size < 0) {
            throw MLModelError(MLModelErrorKind::featureType, "A tensor cannot have the shape " + describeShape(shape_));
        }
    }
    count_ = checkedTensorCount(shape_, kind());
    storage_ = allocate(kind(), count_, zeroed);
}

Tensor Tensor::scalar(DataType dataType, double value) {
    Tensor tensor(dataType, {});
    switch (tensor.kind()) {
    case StorageKind::float32: tensor.mutableFloatValues()[0] = roundFloat(dataType, static_cast<float>(value)); break;
    case StorageKind::int32: tensor.mutableIntValues()[0] = toInt32(value); break;
    case StorageKind::boolean: tensor.mutableBoolValues()[0] = value != 0 ? 1 : 0; break;
    case StorageKind::string: throw MLModelError(MLModelErrorKind::featureType, "A string scalar needs text");
    }
    return tensor;
}

Tensor Tensor::text(std::string value) {
    Tensor tensor(DataType::string, {});
    *std::static_pointer_cast<std::string>(tensor.storage_) = std::move(value);
    return tensor;
}

Tensor Tensor::floats(DataType dataType, Shape shape, std::span<const float> values) {
    Tensor tensor(dataType, std::move(shape));
    if (static_cast<std::int64_t>(values.size()) != tensor.count()) {
        throw MLModelError(MLModelErrorKind::featureType, std::to_string(values.size()) + " values do not fill the shape " +
                                                              describeShape(tensor.shape()));
    }
    std::ranges::copy(values, tensor.mutableFloatValues().begin());
    return tensor;
}

Tensor Tensor::ints(DataType dataType, Shape shape, std::span<const std::int32_t> values) {
    Tensor tensor(dataType, std::move(shape));
    if (static_cast<std::int64_t>(values.size()) != tensor.count()) {
        throw MLModelError(MLModelErrorKind::featureType, std::to_string(values.size()) + " values do not fill the shape " +
                                                              describeShape(tensor.shape()));
    }
    std::ranges::copy(values, tensor.mutableIntValues().begin());
    return tensor;
}

Tensor Tensor::bools(Shape shape, std::span<const std::uint8_t> values) {
    Tensor tensor(DataType::boolean, std::move(shape));
    if (static_cast<std::int64_t>(values.size()) != tensor.count()) {
        throw MLModelError(MLModelErrorKind::featureType, std::to_string(values.size()) + " values do not fill the shape " +
                                                              describeShape(tensor.shape()));
    }
    std::ranges::transform(values, tensor.mutableBoolValues().begin(), [](auto v) { return v != 0 ? 1 : 0; });
    return tensor;
}

Tensor Tensor::packed(DataType dataType, Shape shape, std::shared_ptr<const PackedMatrix> matrix) {
    Tensor tensor;
    tensor.dataType_ = dataType;
    tensor.shape_ = std::move(shape);
    tensor.count_ = elementCount(tensor.shape_);
    tensor.packed_ = std::move(matrix);
    return tensor;
}

Tensor Tensor::unpacked() const {
    return packed_ == nullptr ? *this : packed_->widened(dataType_, shape_);
}

std::int64_t Tensor::dim(std::int64_t axis) const {
    const auto normalised = axis < 0 ? axis + rank() : axis;
    if (normalised < 0 || normalised >= rank()) {
        throw MLModelError(MLModelErrorKind::featureType,
                           "Axis " + std::to_string(axis) + " is outside a tensor of shape " + describeShape(shape_));
    }
    return shape_[static_cast<std::size_t>(normalised)];
}

void Tensor::checkKind(StorageKind wanted) const {
    if (packed_ != nullptr) {
        throw MLModelError(MLModelErrorKind::featureType, "A packed weight was used where its elements were needed");
    }
    if (storage_ == nullptr) {
        throw MLModelError(MLModelErrorKind::featureType, "A value was used before it was computed");
    }
    if (kind() != wanted) {
        throw MLModelError(MLModelErrorKind::featureType,
                           "A value of type " + std::string(dataTypeName(dataType_)) + " was used where another kind of value was needed");
    }
}

std::span<const float> Tensor::floatValues() const {
    checkKind(StorageKind::float32);
    return {static_cast<const float*>(storage_.get()), static_cast<std::size_t>(count_)};
}

std::span<const std::int32_t> Tensor::intValues() const {
    checkKind(StorageKind::int32);
    return {static_cast<const std::int32_t*>(storage_.get()), static_cast<std::size_t>(count_)};
}

std::span<const std::uint8_t> Tensor::boolValues() const {
    checkKind(StorageKind::boolean);
    return {static_cast<const std::uint8_t*>(storage_.get()), static_cast<std::size_t>(count_)};
}

std::span<float> Tensor::mutableFloatValues() {
    checkKind(StorageKind::float32);
    return {static_cast<float*>(storage_.get()), static_cast<std::size_t>(count_)};
}

std::span<std::int32_t> Tensor::mutableIntValues() {
    checkKind(StorageKind::int32);
    return {static_cast<std::int32_t*>(storage_.get()), static_cast<std::size_t>(count_)};
}

std::span<std::uint8_t> Tensor::mutableBoolValues() {
    checkKind(StorageKind::boolean);
    return {static_cast<std::uint8_t*>(storage_.get()), static_cast<std::size_t>(count_)};
}

const std::string& Tensor::textValue() const {
    checkKind(StorageKind::string);
    return *static_cast<const std::string*>(storage_.get());
}

double Tensor::numberAt(std::int64_t index) const {
    if (index < 0 || index >= count_) {
        throw MLModelError(MLModelErrorKind::featureType, "Element " + std::to_string(index) + " is outside a tensor of shape " +
                                                              describeShape(shape_));
    }
    const auto i = static_cast<std::size_t>(index);
    switch (kind()) {
    case StorageKind::float32: return floatValues()[i];
    case StorageKind::int32: return intValues()[i];
    case StorageKind::boolean: return boolValues()[i];
    case StorageKind::string: break;
    }
    throw MLModelError(MLModelErrorKind::featureType, "A string was used where a number was needed");
}

std::vector<std::int64_t> Tensor::toInt64s() const {
    std::vector<std::int64_t> values(static_cast<std::size_t>(count_));
    for (std::int64_t i = 0; i < count_; ++i) {
        values[static_cast<std::size_t>(i)] = static_cast<std::int64_t>(numberAt(i));
    }
    return values;
}

std::vector<float> Tensor::toFloats() const {
    std::vector<float> values(static_cast<std::size_t>(count_));
    for (std::int64_t i = 0; i < count_; ++i) {
        values[static_cast<std::size_t>(i)] = static_cast<float>(numberAt(i));
    }
    return values;
}

Tensor Tensor::reshaped(Shape shape) const {
    if (elementCount(shape) != count_) {
        throw MLModelError(MLModelErrorKind::featureType,
                           "Cannot reshape " + describeShape(shape_) + " to " + describeShape(shape));
    }
    Tensor result = *this;
    result.shape_ = std::move(shape);
    return result;
}

Tensor Tensor::relabelled(DataType dataType) const {
    if (storageKind(dataType) != kind()) {
        throw MLModelError(MLModelErrorKind::featureType, "Cannot relabel " + std::string(dataTypeName(dataType_)) + " as " +
                                                              std::string(dataTypeName(dataType)));
    }
    Tensor result = *this;
    result.dataType_ = dataType;
    return result;
}

Tensor Tensor::convertedTo(DataType dataType) const {
    if (dataType == dataType_) {
        return *this;
    }
    if (kind() == StorageKind::string || storageKind(dataType) == StorageKind::string) {
        throw MLModelError(MLModelErrorKind::featureType, "Cannot convert " + std::string(dataTypeName(dataType_)) + " to " +
                                                              std::string(dataTypeName(dataType)));
    }
    Tensor result(dataType, shape_);
    const auto n = static_cast<std::size_t>(count_);
    switch (result.kind()) {
    case StorageKind::float32: {
        auto out = result.mutableFloatValues();
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = roundFloat(dataType, static_cast<float>(numberAt(static_cast<std::int64_t>(i))));
        }
        break;
    }
    case StorageKind::int32: {
        auto out = result.mutableIntValues();
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = toInt32(numberAt(static_cast<std::int64_t>(i)));
        }
        break;
    }
    case StorageKind::boolean: {
        auto out = result.mutableBoolValues();
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = numberAt(static_cast<std::int64_t>(i)) != 0 ? 1 : 0;
        }
        break;
    }
    case StorageKind::string: break;
    }
    return result;
}

} // namespace platform::coreml::mil
