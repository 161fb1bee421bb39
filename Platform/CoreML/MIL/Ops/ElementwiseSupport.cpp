#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"

#include <limits>

namespace platform::coreml::mil {

const Tensor& numericInput(const OpCall& call, std::string_view name) {
    const auto& tensor = call.input(name);
    if (tensor.kind() == StorageKind::string) {
        call.fail("the argument \"" + std::string(name) + "\" must hold numbers, not text");
    }
    return tensor;
}

Tensor asFloats(const Tensor& tensor) {
    return tensor.kind() == StorageKind::float32 ? tensor : tensor.convertedTo(DataType::fp32);
}

Tensor asInts(const Tensor& tensor) {
    return tensor.kind() == StorageKind::int32 ? tensor : tensor.convertedTo(DataType::int32);
}

Tensor asBools(const Tensor& tensor) {
    return tensor.kind() == StorageKind::boolean ? tensor : tensor.convertedTo(DataType::boolean);
}

std::pair<double, double> integerRange(DataType type) {
    switch (type) {
    case DataType::int8: return {-128, 127};
    case DataType::uint8: return {0, 255};
    case DataType::int16: return {-32768, 32767};
    case DataType::uint16: return {0, 65535};
    default: return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    }
}

Tensor labelled(const OpCall& call, std::size_t index, Tensor result) {
    if (result.kind() == StorageKind::float32) {
        return result;
    }
    const auto declared = call.resultDataType(index, result.dataType());
    return storageKind(declared) == result.kind() ? result.relabelled(declared) : result;
}

} // namespace platform::coreml::mil
