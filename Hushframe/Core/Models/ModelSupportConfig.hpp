#pragma once
// A model repository's model-support configuration: device groups with their
// recommended and supported models, merged with the built-in configuration
// when it belongs to the default repository, and matched against a device's
// hardware model identifier by longest prefix.

#include "Hushframe/Core/Models/DeviceSupport.hpp"

#include <string>
#include <vector>

namespace hushframe {

struct ModelSupportConfig {
    // An empty configuration: no entries, no known models.
    ModelSupportConfig();
    // With includeFallback, a configuration whose name the built-in one's name
    // contains is merged with the built-in entries. The known models, every
    // entry's disabled list and the default support are derived.
    ModelSupportConfig(std::string repoName, std::string repoVersion, std::vector<DeviceSupport> deviceSupports,
                       bool includeFallback);

    // The models of the entry with the longest identifier that prefixes
    // `identifier` (the earlier entry on equal length), else those of
    // defaultSupport.
    ModelSupport modelSupport(const std::string& identifier) const;

    std::string repoName;
    std::string repoVersion;
    std::vector<DeviceSupport> deviceSupports;
    std::vector<std::string> knownModels;
    DeviceSupport defaultSupport;

    bool operator==(const ModelSupportConfig&) const = default;
};

// Keys "name", "version" and "device_support"; reading builds the
// configuration with the built-in fallback included.
void to_json(nlohmann::ordered_json& json, const ModelSupportConfig& config);
void from_json(const nlohmann::ordered_json& json, ModelSupportConfig& config);

} // namespace hushframe
