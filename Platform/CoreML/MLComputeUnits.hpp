#pragma once
// Which processors a model may run on, with the platform's raw values. Linux
// backends take it as a hint; every value is accepted.

#include <cstdint>
#include <optional>

namespace platform::coreml {

enum class MLComputeUnits : std::int32_t {
    cpuOnly = 0,
    cpuAndGPU = 1,
    all = 2,
    cpuAndNeuralEngine = 3,
};

constexpr std::int32_t rawValue(MLComputeUnits units) { return static_cast<std::int32_t>(units); }

constexpr std::optional<MLComputeUnits> computeUnitsFromRawValue(std::int32_t raw) {
    if (raw < rawValue(MLComputeUnits::cpuOnly) || raw > rawValue(MLComputeUnits::cpuAndNeuralEngine)) {
        return std::nullopt;
    }
    return static_cast<MLComputeUnits>(raw);
}

} // namespace platform::coreml
