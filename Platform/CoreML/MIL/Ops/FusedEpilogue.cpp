#include "Platform/CoreML/MIL/Ops/FusedEpilogue.hpp"

#include "Platform/CoreML/MIL/Ops/VectorMathArrays.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil {
namespace {

void relu(std::span<const float> in, std::span<float> out) {
    std::ranges::transform(in, out.begin(), [](float v) { return std::max(v, 0.0f); });
}

using Activation = void (*)(std::span<const float>, std::span<float>);

Activation activationNamed(const OpCall& call, const std::string& name) {
    if (name == "relu") return relu;
    if (name == "sigmoid") return vmath::sigmoid;
    if (name == "tanh") return vmath::tanh;
    if (name == "silu") return vmath::silu;
    if (name == "gelu_exact") return vmath::geluErf;
    if (name == "gelu_tanh") return vmath::geluTanh;
    if (name == "gelu_sigmoid") return vmath::geluSigmoid;
    call.fail("the folded activation \"" + name + "\" is unknown");
}

} // namespace

ProductEpilogue fusedEpilogue(const OpCall& call, const Tensor& result) {
    ProductEpilogue epilogue;
    if (call.has("fused_activation")) {
        epilogue.activation = activationNamed(call, call.textParameter("fused_activation"));
    }
    if (const auto* residual = call.optionalInput("fused_residual")) {
        if (residual->kind() != StorageKind::float32 || residual->shape() != result.shape()) {
            call.fail("the residual " + describeShape(residual->shape()) + " does not have the result's shape " +
                      describeShape(result.shape()));
        }
        epilogue.residual = residual->floatValues().data();
    }
    return epilogue;
}

} // namespace platform::coreml::mil
