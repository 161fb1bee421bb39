#pragma once
// One named value fed to or produced by a model: an integer, a double, a string
// or a multi-array. A default-constructed value is `invalid` (no value at all).
// A multi-array value shares the array's storage.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace platform::coreml {

// Kinds of features, with the platform's raw values.
enum class MLFeatureType : std::int32_t {
    invalid = 0,
    int64 = 1,
    double_ = 2,
    string = 3,
    image = 4,
    multiArray = 5,
    dictionary = 6,
    sequence = 7,
    state = 8,
};

class MLFeatureValue {
public:
    MLFeatureValue() = default;
    MLFeatureValue(MLMultiArray multiArray) : value_(std::move(multiArray)) {}
    explicit MLFeatureValue(std::int64_t int64Value) : value_(int64Value) {}
    explicit MLFeatureValue(double doubleValue) : value_(doubleValue) {}
    explicit MLFeatureValue(std::string stringValue) : value_(std::move(stringValue)) {}

    MLFeatureType type() const;
    bool isUndefined() const { return type() == MLFeatureType::invalid; }

    // The value when it is of that kind; the scalar accessors give 0 or "" otherwise.
    std::optional<MLMultiArray> multiArrayValue() const;
    std::int64_t int64Value() const;
    double doubleValue() const;
    std::string stringValue() const;

private:
    std::variant<std::monostate, std::int64_t, double, std::string, MLMultiArray> value_;
};

} // namespace platform::coreml
