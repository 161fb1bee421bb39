#pragma once
// A text shortcut: a dictated trigger phrase and the text inserted in its
// place, which may hold placeholders resolved at insertion.

#include "Platform/Files/Uuid.hpp"

#include <nlohmann/json_fwd.hpp>

#include <string>

namespace ostrelvirorez {

struct Snippet {
    platform::Uuid id;
    std::string trigger;
    std::string replacement;
    bool caseSensitive = false;
    bool isEnabled = true;

    bool operator==(const Snippet&) const = default;
};

// All five keys are required on reading; other keys are ignored.
void to_json(nlohmann::json& json, const Snippet& snippet);
void from_json(const nlohmann::json& json, Snippet& snippet);

} // namespace ostrelvirorez
