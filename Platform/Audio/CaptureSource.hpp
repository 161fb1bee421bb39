#pragma once
// One capture source of the sound server as a device list shows it: the
// server's index, its persistent name, its readable description and its
// channel count. Monitors of outputs are not capture sources.

#include "Platform/Audio/PulseConnection.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::audio {

struct CaptureSource {
    std::uint32_t index = 0;
    std::string name;
    std::string description; // empty when the server gives none
    std::uint32_t channels = 0;

    friend bool operator==(const CaptureSource&, const CaptureSource&) = default;
};

// Every source with at least one channel that is not the monitor of an
// output, in the server's order; nothing when the server cannot be asked.
// Takes the connection's lock itself.
std::optional<std::vector<CaptureSource>> listCaptureSources(const PulseConnection& connection);

} // namespace platform::audio
