#include "PelluxCore/MLComputeUnitsNames.hpp"

namespace pelluxcore {

using platform::coreml::MLComputeUnits;

std::string description(MLComputeUnits computeUnits) {
    switch (computeUnits) {
    case MLComputeUnits::cpuOnly: return "cpuOnly";
    case MLComputeUnits::cpuAndGPU: return "cpuAndGPU";
    case MLComputeUnits::all: return "all";
    case MLComputeUnits::cpuAndNeuralEngine: return "cpuAndNeuralEngine";
    }
    return "unknown";
}

std::string displayName(MLComputeUnits computeUnits) {
    switch (computeUnits) {
    case MLComputeUnits::cpuOnly: return "CPU";
    case MLComputeUnits::cpuAndGPU: return "GPU";
    case MLComputeUnits::all: return "All";
    case MLComputeUnits::cpuAndNeuralEngine: return "Neural Engine";
    }
    return "Unknown";
}

} // namespace pelluxcore
