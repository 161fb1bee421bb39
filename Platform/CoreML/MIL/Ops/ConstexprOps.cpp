#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ConstexprKernels.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"

namespace platform::coreml::mil {

void registerConstexprOps(OpRegistry& registry) {
    registry.add("constexpr_affine_dequantize",
                 {affineDequantizeKernel, {"quantized_data", "zero_point", "scale", "axis"}, true, packedAffineDequantize});
    registry.add("constexpr_cast", {constantCastKernel, {"source_val", "output_dtype"}});
    registry.add("constexpr_lut_to_dense", {lutToDenseKernel, {"indices", "lut"}});
    registry.add("constexpr_sparse_to_dense", {sparseToDenseKernel, {"nonzero_data", "mask"}});
    registry.add("constexpr_blockwise_shift_scale", {blockwiseShiftScaleKernel, {"data", "scale"}, true, packedBlockwiseShiftScale});
    registry.add("constexpr_lut_to_sparse", {lutToSparseKernel, {"indices_mask", "indices_nonzero_data", "lut"}});
    registry.add("constexpr_sparse_blockwise_shift_scale",
                 {sparseBlockwiseShiftScaleKernel, {"data_mask", "nonzero_data", "scale"}});
    registry.add("quantize", {quantizeKernel, {"input", "scale", "output_dtype"}});
    registry.add("dequantize", {dequantizeKernel, {"input", "scale"}});
}

} // namespace platform::coreml::mil
