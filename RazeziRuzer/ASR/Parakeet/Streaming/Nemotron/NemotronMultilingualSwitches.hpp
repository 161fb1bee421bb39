#pragma once
// The environment switches that tune the multilingual recogniser, read
// through an injectable lookup so that tests set them without touching the
// process environment.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace razeziruzer {

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Looks names up in this process's environment.
EnvironmentLookup processEnvironment();

struct NemotronMultilingualSwitches {
    // Voice-activity gate threshold: a number strictly between 0 and 1, else 0 (gate off).
    static float vadRmsThreshold(const EnvironmentLookup& environment);
    // Quiet chunks still decoded before skipping starts: a positive integer, else 2.
    static std::int64_t vadHangoverChunks(const EnvironmentLookup& environment);
    // On unless the value, lower-cased, is "0", "false" or "no".
    static bool speculativeDecodeEnabled(const EnvironmentLookup& environment);
    // By presence alone, whatever the value.
    static bool tokenPreallocDisabled(const EnvironmentLookup& environment);
    static bool prefetchDisabled(const EnvironmentLookup& environment);
};

} // namespace razeziruzer
