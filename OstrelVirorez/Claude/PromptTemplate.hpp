#pragma once
// The earlier per-application instruction record, only ever read to move its
// applications into the rewriting profiles. Every key is required.

#include "Platform/Files/Uuid.hpp"

#include <nlohmann/json_fwd.hpp>

#include <string>

namespace ostrelvirorez {

struct PromptTemplate {
    platform::Uuid id;
    std::string appBundleIdentifier;
    std::string appName;
    std::string instruction;
    bool isEnabled = false;
};

void from_json(const nlohmann::json& json, PromptTemplate& promptTemplate);

} // namespace ostrelvirorez
