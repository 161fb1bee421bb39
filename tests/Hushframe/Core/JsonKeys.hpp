#pragma once
// The keys of a written JSON object, in the order they were written.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace hushframe::testing {

inline std::vector<std::string> keysOf(const nlohmann::ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

} // namespace hushframe::testing
