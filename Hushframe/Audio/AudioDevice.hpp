#pragma once
// One input device live capture can record from: the sound server's index of
// the source (its identity) and its readable name, empty when it has none.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace hushframe {

struct AudioDevice {
    std::uint32_t id = 0;
    std::string name;

    friend bool operator==(const AudioDevice&, const AudioDevice&) = default;
};

} // namespace hushframe

template <>
struct std::hash<hushframe::AudioDevice> {
    std::size_t operator()(const hushframe::AudioDevice& device) const noexcept {
        const std::size_t seed = std::hash<std::uint32_t>{}(device.id);
        return seed ^ (std::hash<std::string>{}(device.name) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
    }
};
