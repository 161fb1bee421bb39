#pragma once
// Kernels of the sequence family: recurrent layers, attention and random
// numbers. Each computes one call's results as fresh tensors.

#include "Platform/CoreML/MIL/OpCall.hpp"

#include <vector>

namespace platform::coreml::mil {

std::vector<Tensor> lstmKernel(const OpCall& call);
std::vector<Tensor> gruKernel(const OpCall& call);
std::vector<Tensor> rnnKernel(const OpCall& call);
std::vector<Tensor> scaledDotProductAttentionKernel(const OpCall& call);
std::vector<Tensor> randomNormalKernel(const OpCall& call);
std::vector<Tensor> randomUniformKernel(const OpCall& call);
std::vector<Tensor> randomBernoulliKernel(const OpCall& call);
std::vector<Tensor> randomCategoricalKernel(const OpCall& call);

} // namespace platform::coreml::mil
