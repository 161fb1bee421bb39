#pragma once
// Kernels of the weight-decompression operations (run once when a program
// loads) and of the runtime quantize and dequantize operations.

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <optional>
#include <vector>

namespace platform::coreml::mil {

std::vector<Tensor> affineDequantizeKernel(const OpCall& call);
std::vector<Tensor> constantCastKernel(const OpCall& call);
std::vector<Tensor> blockwiseShiftScaleKernel(const OpCall& call);
std::vector<Tensor> sparseBlockwiseShiftScaleKernel(const OpCall& call);
// The same two decompressions keeping 8-bit data packed, when its scales and
// offsets vary only by row and by blocks of a row.
std::optional<Tensor> packedAffineDequantize(const OpCall& call);
std::optional<Tensor> packedBlockwiseShiftScale(const OpCall& call);
std::vector<Tensor> quantizeKernel(const OpCall& call);
std::vector<Tensor> dequantizeKernel(const OpCall& call);

std::vector<Tensor> lutToDenseKernel(const OpCall& call);
std::vector<Tensor> lutToSparseKernel(const OpCall& call);

std::vector<Tensor> sparseToDenseKernel(const OpCall& call);

} // namespace platform::coreml::mil
