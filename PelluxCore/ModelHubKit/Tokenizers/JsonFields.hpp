#pragma once
// Lenient readers for the optional fields of tokenizer files, where an absent
// key and a null value both mean "use the default".

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace modelhubkit::json {

inline std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return std::nullopt;
    return found->get<std::string>();
}

inline std::string stringOr(const nlohmann::json& object, const char* key, std::string fallback) {
    return optionalString(object, key).value_or(std::move(fallback));
}

template <typename T>
T valueOr(const nlohmann::json& object, const char* key, T fallback) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return fallback;
    return found->get<T>();
}

} // namespace modelhubkit::json
