#pragma once
// One group of devices, named by hardware model identifier prefixes, and the
// models that suit them.

#include "Hushframe/Core/Models/ModelSupport.hpp"

#include <optional>
#include <string>
#include <vector>

namespace hushframe {

struct DeviceSupport {
    // Informational chip list, for example "M2, M3, M4".
    std::optional<std::string> chips;
    std::vector<std::string> identifiers;
    ModelSupport models;

    bool operator==(const DeviceSupport&) const = default;
};

// Keys "chips" (left out when absent), "identifiers" and "models".
void to_json(nlohmann::ordered_json& json, const DeviceSupport& support);
void from_json(const nlohmann::ordered_json& json, DeviceSupport& support);

} // namespace hushframe
