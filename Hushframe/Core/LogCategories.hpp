#pragma once
// The pipeline's own tracing channels, one per costly stage, and the signpost
// intervals that mark those stages. Text messages never use these channels;
// they go through the core Logging.

#include "Hushframe/Core/Signposter.hpp"

#include <string_view>

namespace hushframe::Logging {

inline constexpr std::string_view subsystem = "zar.pellux.hushframe";

struct AudioEncoding {
    static const platform::Logger& logger();
    static OSSignposter& signposter();
};

struct FeatureExtractor {
    static const platform::Logger& logger();
    static OSSignposter& signposter();
};

struct TranscribeTask {
    static const platform::Logger& logger();
    static OSSignposter& signposter();
};

OSSignpostIntervalState beginSignpost(std::string_view name, OSSignposter& signposter);
// `name` and `signposter` must be those given to the matching begin.
void endSignpost(std::string_view name, const OSSignpostIntervalState& interval, OSSignposter& signposter);

} // namespace hushframe::Logging
