#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"

#include "Platform/CoreML/MIL/TensorSizeLimit.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil::shapeops {

std::vector<std::int64_t> integerValues(const OpCall& call, const Tensor& tensor, std::string_view name) {
    if (tensor.kind() != StorageKind::int32 && tensor.kind() != StorageKind::boolean) {
        call.fail("the argument \"" + std::string(name) + "\" must hold integers, not " +
                  std::string(dataTypeName(tensor.dataType())));
    }
    return tensor.toInt64s();
}

std::int64_t checkedIndex(const OpCall& call, std::int64_t index, std::int64_t size, std::string_view what) {
    const auto normalised = index < 0 ? index + size : index;
    if (normalised < 0 || normalised >= size) {
        call.fail(std::string(what) + " " + std::to_string(index) + " is out of range for a dimension of size " +
                  std::to_string(size));
    }
    return normalised;
}

std::int64_t countBetween(const Shape& shape, std::size_t begin, std::size_t end) {
    std::int64_t count = 1;
    for (auto i = begin; i < end && i < shape.size(); ++i) {
        count *= shape[i];
    }
    return count;
}

std::int64_t checkedCount(const OpCall& call, const Shape& shape) {
    constexpr std::int64_t largest = std::int64_t{1} << 48;
    std::int64_t count = 1;
    for (const auto size : shape) {
        if (size < 0) {
            call.fail("the shape " + describeShape(shape) + " has a negative size");
        }
        if (size != 0 && count > largest / size) {
            throw TensorSizeError("the shape " + describeShape(shape) + " holds too many elements");
        }
        count *= size;
    }
    return count;
}

void requireSameKind(const OpCall& call, std::span<const Tensor* const> tensors, std::string_view what) {
    for (std::size_t i = 1; i < tensors.size(); ++i) {
        if (tensors[i]->kind() != tensors[0]->kind()) {
            call.fail(std::string(what) + " mix " + std::string(dataTypeName(tensors[0]->dataType())) + " and " +
                      std::string(dataTypeName(tensors[i]->dataType())));
        }
    }
}

Tensor filledTensor(const OpCall& call, DataType type, Shape shape, double value) {
    checkedCount(call, shape);
    if (storageKind(type) == StorageKind::string) {
        call.fail("cannot fill a tensor of text");
    }
    const auto element = Tensor::scalar(type, value);
    Tensor result(type, std::move(shape));
    withElementType(call, result, [&]<class T>(std::type_identity<T>) {
        std::ranges::fill(mutableElementsOf<T>(result), elementsOf<T>(element)[0]);
    });
    return result;
}

} // namespace platform::coreml::mil::shapeops
