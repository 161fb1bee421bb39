#include "Platform/CoreML/MLMultiArrayDataType.hpp"

namespace platform::coreml {

std::optional<MLMultiArrayDataType> dataTypeFromRawValue(std::int32_t raw) {
    for (auto type : {MLMultiArrayDataType::float16, MLMultiArrayDataType::float32, MLMultiArrayDataType::float64,
                      MLMultiArrayDataType::int32, MLMultiArrayDataType::int8}) {
        if (rawValue(type) == raw) {
            return type;
        }
    }
    return std::nullopt;
}

std::size_t elementSize(MLMultiArrayDataType type) {
    switch (type) {
    case MLMultiArrayDataType::float16: return 2;
    case MLMultiArrayDataType::float32: return 4;
    case MLMultiArrayDataType::float64: return 8;
    case MLMultiArrayDataType::int32: return 4;
    case MLMultiArrayDataType::int8: return 1;
    }
    return 4;
}

std::string dataTypeName(MLMultiArrayDataType type) {
    switch (type) {
    case MLMultiArrayDataType::float16: return "float16";
    case MLMultiArrayDataType::float32: return "float32";
    case MLMultiArrayDataType::float64: return "float64";
    case MLMultiArrayDataType::int32: return "int32";
    case MLMultiArrayDataType::int8: return "int8";
    }
    return "unknown";
}

} // namespace platform::coreml
