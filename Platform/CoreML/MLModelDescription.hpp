#pragma once
// What a loaded model declares about itself: its inputs, outputs and states by
// name, and the metadata its author stored in it.

#include "Platform/CoreML/MLFeatureDescription.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::coreml {

// Entries under the platform's metadata keys; absent and empty stay apart.
struct MLModelMetadata {
    std::optional<std::string> author;
    std::optional<std::string> description;
    std::optional<std::string> versionString;
    std::optional<std::string> license;
    std::optional<std::map<std::string, std::string>> creatorDefinedKey;

    bool operator==(const MLModelMetadata&) const = default;
};

struct MLModelDescription {
    std::map<std::string, MLFeatureDescription> inputDescriptionsByName;
    std::map<std::string, MLFeatureDescription> outputDescriptionsByName;
    std::map<std::string, MLFeatureDescription> stateDescriptionsByName;
    MLModelMetadata metadata;

    // Builds the maps from lists, keyed by each description's name.
    static MLModelDescription make(const std::vector<MLFeatureDescription>& inputs,
                                   const std::vector<MLFeatureDescription>& outputs,
                                   const std::vector<MLFeatureDescription>& states = {});

    bool operator==(const MLModelDescription&) const = default;
};

} // namespace platform::coreml
