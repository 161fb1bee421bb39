#pragma once
// Readable names of the compute-unit settings, for logs ("cpuOnly") and for
// people ("CPU"); "unknown" / "Unknown" for a value outside the known ones.

#include "Platform/CoreML/MLComputeUnits.hpp"

#include <string>

namespace pelluxcore {

std::string description(platform::coreml::MLComputeUnits computeUnits);
std::string displayName(platform::coreml::MLComputeUnits computeUnits);

} // namespace pelluxcore
