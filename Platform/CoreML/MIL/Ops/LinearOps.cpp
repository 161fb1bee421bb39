#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/LinearFamily.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"

namespace platform::coreml::mil {

void registerLinearOps(OpRegistry& registry) {
    registerMatrixKernels(registry);
    registerConvolutionKernel(registry);
    registerConvTransposeKernel(registry);
    registerPoolingKernels(registry);
    registerNormalisationKernels(registry);
}

} // namespace platform::coreml::mil
