#pragma once
// The parts of the linear family, each adding its operations to a registry.

namespace platform::coreml::mil {

class OpRegistry;

void registerMatrixKernels(OpRegistry& registry);        // linear, matmul, einsum
void registerConvolutionKernel(OpRegistry& registry);    // conv
void registerConvTransposeKernel(OpRegistry& registry);  // conv_transpose
void registerPoolingKernels(OpRegistry& registry);       // avg_pool, max_pool, l2_pool
void registerNormalisationKernels(OpRegistry& registry); // batch_norm, layer_norm, instance_norm, l2_norm, local_response_norm

} // namespace platform::coreml::mil
