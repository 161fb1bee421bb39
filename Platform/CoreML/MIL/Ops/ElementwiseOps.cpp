#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"

namespace platform::coreml::mil {

void registerElementwiseOps(OpRegistry& registry) {
    registerBinaryOps(registry);
    registerUnaryOps(registry);
    registerActivationOps(registry);
    registerConversionOps(registry);
}

} // namespace platform::coreml::mil
