#pragma once
// Stage timings and resource figures a recognition result may carry.

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>

namespace razeziruzer {

struct ASRPerformanceMetrics {
    double preprocessorTime = 0;
    double encoderTime = 0;
    double decoderTime = 0;
    double totalProcessingTime = 0;
    float rtfx = 0;
    float peakMemoryMB = 0;
    std::optional<float> gpuUtilization;

    bool operator==(const ASRPerformanceMetrics&) const = default;

    // Eight lines, one per figure, headed "Performance Metrics:".
    std::string summary() const;
};

// Keys are the field names, written in field order; "gpuUtilization" is
// written only when present and may be missing when read, every other key is
// required.
void to_json(nlohmann::ordered_json& json, const ASRPerformanceMetrics& metrics);
void from_json(const nlohmann::ordered_json& json, ASRPerformanceMetrics& metrics);

} // namespace razeziruzer
