#include "Hushframe/Audio/ChannelModeCoding.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"

namespace hushframe {

namespace {

using ChannelMode = AudioInputConfig::ChannelMode;

const std::string specificKey = "specificChannel";
const std::string sumKey = "sumChannels";
const std::string payloadKey = "_0";

void combine(std::size_t& seed, std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); }

} // namespace

void to_json(nlohmann::ordered_json& json, const ChannelMode& mode) {
    nlohmann::ordered_json payload = nlohmann::ordered_json::object();
    if (const auto* specific = std::get_if<ChannelMode::SpecificChannel>(&mode.mode)) {
        payload[payloadKey] = specific->channel;
        json = nlohmann::ordered_json{{specificKey, payload}};
        return;
    }
    if (const auto& channels = std::get<ChannelMode::SumChannels>(mode.mode).channels) payload[payloadKey] = *channels;
    json = nlohmann::ordered_json{{sumKey, payload}};
}

void from_json(const nlohmann::ordered_json& json, ChannelMode& mode) {
    if (!json.is_object()) jsonfield::throwTypeMismatch("channelMode", "an object", json);
    const bool specific = json.contains(specificKey);
    if (specific == json.contains(sumKey)) {
        throw nlohmann::ordered_json::type_error::create(302, "Invalid number of keys found, expected one.", &json);
    }
    const auto& payload = json.at(specific ? specificKey : sumKey);
    if (!payload.is_object()) jsonfield::throwTypeMismatch(specific ? specificKey : sumKey, "an object", payload);
    if (specific) {
        mode = ChannelMode::specificChannel(jsonfield::required<int>(payload, payloadKey));
    } else {
        mode = ChannelMode::sumChannels(jsonfield::optionalArray<int>(payload, payloadKey));
    }
}

std::size_t hashValue(const ChannelMode& mode) {
    const bool specificCase = std::holds_alternative<ChannelMode::SpecificChannel>(mode.mode);
    std::size_t seed = std::hash<std::size_t>{}(specificCase ? 0 : 1);
    if (const auto* specific = std::get_if<ChannelMode::SpecificChannel>(&mode.mode)) {
        combine(seed, std::hash<int>{}(specific->channel));
        return seed;
    }
    const auto& channels = std::get<ChannelMode::SumChannels>(mode.mode).channels;
    combine(seed, std::hash<bool>{}(channels.has_value()));
    if (!channels) return seed;
    combine(seed, std::hash<std::size_t>{}(channels->size()));
    for (const int channel : *channels) combine(seed, std::hash<int>{}(channel));
    return seed;
}

} // namespace hushframe
