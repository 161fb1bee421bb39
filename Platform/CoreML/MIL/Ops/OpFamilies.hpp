#pragma once
// Each family of operations adds its kernels to a registry.

namespace platform::coreml::mil {

class OpRegistry;

void registerElementwiseOps(OpRegistry& registry);   // arithmetic, comparisons, logic, select, cast, clip, activations, softmax
void registerReductionOps(OpRegistry& registry);     // reduce_*, topk, cumsum, argsort
void registerShapeOps(OpRegistry& registry);         // reshape ... one_hot, gather, scatter, slices, pad, upsampling
void registerLinearOps(OpRegistry& registry);        // linear, matmul, einsum, conv, conv_transpose, pooling, norms
void registerSequenceOps(OpRegistry& registry);      // lstm, gru, rnn, scaled_dot_product_attention, random
void registerConstexprOps(OpRegistry& registry);     // const-time weight decompression

} // namespace platform::coreml::mil
