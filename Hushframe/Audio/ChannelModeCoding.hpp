#pragma once
// The stored form of a channel mode: one key naming the case, whose object
// holds the payload under "_0" ({"specificChannel":{"_0":1}},
// {"sumChannels":{"_0":[0,1]}}, and {"sumChannels":{}} for all channels);
// and its hash, which feeds the case number and then the payload.

#include "Hushframe/Core/AudioInputConfig.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>

namespace hushframe {

void to_json(nlohmann::ordered_json& json, const AudioInputConfig::ChannelMode& mode);
// Exactly one of the two case names must be a key (others are ignored);
// otherwise the JSON library's type error "Invalid number of keys found,
// expected one.". "_0" is required under "specificChannel" and optional
// under "sumChannels".
void from_json(const nlohmann::ordered_json& json, AudioInputConfig::ChannelMode& mode);

std::size_t hashValue(const AudioInputConfig::ChannelMode& mode);

} // namespace hushframe

template <>
struct std::hash<hushframe::AudioInputConfig::ChannelMode> {
    std::size_t operator()(const hushframe::AudioInputConfig::ChannelMode& mode) const noexcept {
        return hushframe::hashValue(mode);
    }
};
