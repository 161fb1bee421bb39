#include "Platform/CoreML/MLFeatureValue.hpp"

#include "Platform/CoreML/ElementAccess.hpp"

namespace platform::coreml {

MLFeatureType MLFeatureValue::type() const {
    switch (value_.index()) {
    case 1: return MLFeatureType::int64;
    case 2: return MLFeatureType::double_;
    case 3: return MLFeatureType::string;
    case 4: return MLFeatureType::multiArray;
    default: return MLFeatureType::invalid;
    }
}

std::optional<MLMultiArray> MLFeatureValue::multiArrayValue() const {
    if (const auto* array = std::get_if<MLMultiArray>(&value_)) {
        return *array;
    }
    return std::nullopt;
}

std::int64_t MLFeatureValue::int64Value() const {
    if (const auto* value = std::get_if<std::int64_t>(&value_)) {
        return *value;
    }
    if (const auto* value = std::get_if<double>(&value_)) {
        return toInt64(*value);
    }
    return 0;
}

double MLFeatureValue::doubleValue() const {
    if (const auto* value = std::get_if<double>(&value_)) {
        return *value;
    }
    if (const auto* value = std::get_if<std::int64_t>(&value_)) {
        return static_cast<double>(*value);
    }
    return 0;
}

std::string MLFeatureValue::stringValue() const {
    if (const auto* value = std::get_if<std::string>(&value_)) {
        return *value;
    }
    return {};
}

} // namespace platform::coreml
