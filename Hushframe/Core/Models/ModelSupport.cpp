#include "Hushframe/Core/Models/DeviceSupport.hpp"
#include "Hushframe/Core/Models/ModelSupport.hpp"

#include <nlohmann/json.hpp>

namespace hushframe {

void to_json(nlohmann::ordered_json& json, const ModelSupport& support) {
    json = nlohmann::ordered_json{{"default", support.default_}, {"supported", support.supported}};
}

void from_json(const nlohmann::ordered_json& json, ModelSupport& support) {
    ModelSupport read;
    json.at("default").get_to(read.default_);
    json.at("supported").get_to(read.supported);
    support = std::move(read);
}

void to_json(nlohmann::ordered_json& json, const DeviceSupport& support) {
    json = nlohmann::ordered_json::object();
    if (support.chips) json["chips"] = *support.chips;
    json["identifiers"] = support.identifiers;
    json["models"] = support.models;
}

void from_json(const nlohmann::ordered_json& json, DeviceSupport& support) {
    DeviceSupport read;
    if (const auto chips = json.find("chips"); chips != json.end() && !chips->is_null()) read.chips = chips->get<std::string>();
    json.at("identifiers").get_to(read.identifiers);
    json.at("models").get_to(read.models);
    support = std::move(read);
}

} // namespace hushframe
