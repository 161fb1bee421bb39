#pragma once
// Which channels of a multi-channel recording reach the pipeline: all of them
// (or a chosen few) summed, or one channel alone.

#include <optional>
#include <variant>
#include <vector>

namespace hushframe {

struct AudioInputConfig {
    struct ChannelMode {
        // Absent channels: every channel is summed.
        struct SumChannels {
            std::optional<std::vector<int>> channels;
            bool operator==(const SumChannels&) const = default;
        };
        struct SpecificChannel {
            int channel = 0;
            bool operator==(const SpecificChannel&) const = default;
        };

        std::variant<SumChannels, SpecificChannel> mode = SumChannels{};

        static ChannelMode sumChannels(std::optional<std::vector<int>> channels = std::nullopt) {
            return {SumChannels{std::move(channels)}};
        }
        static ChannelMode specificChannel(int channel) { return {SpecificChannel{channel}}; }

        bool operator==(const ChannelMode&) const = default;
    };

    ChannelMode channelMode;

    bool operator==(const AudioInputConfig&) const = default;
};

} // namespace hushframe
