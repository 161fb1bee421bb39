#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"

namespace platform::coreml::mil {

void registerShapeOps(OpRegistry& registry) { (void)registry; }

} // namespace platform::coreml::mil
