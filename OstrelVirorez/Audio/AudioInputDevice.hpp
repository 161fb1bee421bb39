#pragma once
// One microphone the user can choose: the server's index of the source, its
// readable name and its persistent identifier (the source name). The entry
// that stands for the system default has id 0 and an empty identifier.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace ostrelvirorez {

struct AudioInputDevice {
    std::uint32_t id = 0;
    std::string name;
    std::string uid;

    friend bool operator==(const AudioInputDevice&, const AudioInputDevice&) = default;
};

} // namespace ostrelvirorez

template <>
struct std::hash<ostrelvirorez::AudioInputDevice> {
    std::size_t operator()(const ostrelvirorez::AudioInputDevice& device) const noexcept {
        std::size_t seed = std::hash<std::uint32_t>{}(device.id);
        for (const std::size_t part : {std::hash<std::string>{}(device.name), std::hash<std::string>{}(device.uid)}) {
            seed ^= part + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
        }
        return seed;
    }
};
