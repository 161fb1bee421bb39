#pragma once
// Strict reads of stored records, and float values written as they read: a value must have exactly the JSON type of
// its field (no integer from a fraction, no number from a boolean), and
// failures are the JSON library's own errors. Records use the ordered JSON
// type, so their keys are written in field order.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hushframe::jsonfield {

// The double whose shortest text is the float's own shortest text, so that a
// stored 0.1F reads as 0.1 rather than 0.10000000149011612, and reads back as
// the same float.
double widened(float value);
std::vector<double> widened(const std::vector<float>& values);

[[noreturn]] void throwTypeMismatch(const std::string& key, const char* expected, const nlohmann::ordered_json& value);

template <typename T>
T readValue(const std::string& key, const nlohmann::ordered_json& value) {
    if constexpr (std::is_same_v<T, bool>) {
        if (!value.is_boolean()) throwTypeMismatch(key, "a boolean", value);
    } else if constexpr (std::is_integral_v<T>) {
        if (!value.is_number_integer()) throwTypeMismatch(key, "an integer", value);
    } else if constexpr (std::is_floating_point_v<T>) {
        if (!value.is_number()) throwTypeMismatch(key, "a number", value);
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (!value.is_string()) throwTypeMismatch(key, "a string", value);
    }
    return value.get<T>();
}

template <typename T>
std::vector<T> readArray(const std::string& key, const nlohmann::ordered_json& value) {
    if (!value.is_array()) throwTypeMismatch(key, "an array", value);
    std::vector<T> items;
    items.reserve(value.size());
    for (const auto& item : value) items.push_back(readValue<T>(key, item));
    return items;
}

// The key must be present.
template <typename T>
T required(const nlohmann::ordered_json& object, const std::string& key) {
    return readValue<T>(key, object.at(key));
}

template <typename T>
std::vector<T> requiredArray(const nlohmann::ordered_json& object, const std::string& key) {
    return readArray<T>(key, object.at(key));
}

// Absent when the key is missing or null.
template <typename T>
std::optional<T> optional(const nlohmann::ordered_json& object, const std::string& key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return std::nullopt;
    return readValue<T>(key, *found);
}

template <typename T>
std::optional<std::vector<T>> optionalArray(const nlohmann::ordered_json& object, const std::string& key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return std::nullopt;
    return readArray<T>(key, *found);
}

} // namespace hushframe::jsonfield
