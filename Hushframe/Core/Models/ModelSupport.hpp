#pragma once
// Which model builds a group of devices should use: the recommended one, the
// ones that run there, and the known ones that do not.

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace hushframe {

struct ModelSupport {
    // Named `default` in the stored form; the word is reserved here.
    std::string default_;
    std::vector<std::string> supported;
    // Derived from the configuration's known models; never read from JSON.
    std::vector<std::string> disabled;

    bool operator==(const ModelSupport&) const = default;
};

// Keys "default" and "supported"; reading leaves `disabled` empty.
void to_json(nlohmann::ordered_json& json, const ModelSupport& support);
void from_json(const nlohmann::ordered_json& json, ModelSupport& support);

} // namespace hushframe
