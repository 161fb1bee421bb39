#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"
#include "Platform/CoreML/MIL/Ops/SequenceKernels.hpp"

namespace platform::coreml::mil {

void registerSequenceOps(OpRegistry& registry) {
    registry.add("lstm", {lstmKernel, {"x", "initial_h", "initial_c", "weight_ih", "weight_hh"}});
    registry.add("gru", {gruKernel, {"x", "initial_h", "weight_ih", "weight_hh"}});
    registry.add("rnn", {rnnKernel, {"x", "initial_h", "weight_ih", "weight_hh"}});
    registry.add("scaled_dot_product_attention", {scaledDotProductAttentionKernel, {"query", "key", "value"}});

    constexpr bool deterministic = false;
    registry.add("random_normal", {randomNormalKernel, {"shape"}, deterministic});
    registry.add("random_uniform", {randomUniformKernel, {"shape"}, deterministic});
    registry.add("random_bernoulli", {randomBernoulliKernel, {"shape"}, deterministic});
    registry.add("random_categorical", {randomCategoricalKernel, {"x"}, deterministic});
}

} // namespace platform::coreml::mil
