#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ArrayMapping.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseMath.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"
#include "Platform/CoreML/MIL/Ops/VectorMathArrays.hpp"

#include <algorithm>
#include <cmath>
#include <span>

namespace platform::coreml::mil {
namespace {

template <class F>
Tensor mapFloats(const Tensor& x, F f) {
    const auto in = asFloats(x);
    Tensor out(DataType::fp32, in.shape(), Tensor::Unfilled{});
    mapElements(in.floatValues(), out.mutableFloatValues(), f);
    return out;
}

// An operation computed in float whatever its input.
template <class F>
void addFloatOp(OpRegistry& registry, const char* name, F f) {
    registry.add(name, {[f](const OpCall& call) { return std::vector{mapFloats(numericInput(call, "x"), f)}; }, {"x"}});
}

using Values = std::span<const float>;
using Results = std::span<float>;

// An operation computed in float by a whole-array function.
void addArrayOp(OpRegistry& registry, const char* name, void (*f)(Values, Results)) {
    registry.add(name, {[f](const OpCall& call) { return std::vector{mapArray(numericInput(call, "x"), f)}; }, {"x"}});
}

// An operation that keeps integers integer.
template <class F, class G>
void addExactOp(OpRegistry& registry, const char* name, F onFloat, G onInt) {
    registry.add(name, {[onFloat, onInt](const OpCall& call) {
                            const auto& x = numericInput(call, "x");
                            if (x.kind() != StorageKind::int32) {
                                return std::vector{mapFloats(x, onFloat)};
                            }
                            Tensor out(DataType::int32, x.shape());
                            mapElements(x.intValues(), out.mutableIntValues(), onInt);
                            return std::vector{labelled(call, 0, std::move(out))};
                        },
                        {"x"}});
}

// rsqrt and inverse add their epsilon inside the function.
template <class F>
void addEpsilonOp(OpRegistry& registry, const char* name, double epsilon, F f) {
    registry.add(name, {[epsilon, f](const OpCall& call) {
                            const auto eps = static_cast<float>(call.floatParameter("epsilon", epsilon));
                            return std::vector{mapFloats(numericInput(call, "x"), [eps, f](float v) { return f(v + eps); })};
                        },
                        {"x"}});
}

// log(x + epsilon), the epsilon added before the logarithm.
std::vector<Tensor> logarithm(const OpCall& call) {
    const auto eps = static_cast<float>(call.floatParameter("epsilon", 1e-45));
    return {mapArray(numericInput(call, "x"), [eps](Values in, Results out) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            out[i] = in[i] + eps;
        }
        vmath::log(out, out);
    })};
}

std::vector<Tensor> logicalNot(const OpCall& call) {
    const auto x = asBools(numericInput(call, "x"));
    Tensor out(DataType::boolean, x.shape());
    mapElements(x.boolValues(), out.mutableBoolValues(), [](std::uint8_t v) -> std::uint8_t { return v == 0 ? 1 : 0; });
    return {std::move(out)};
}

using I = std::int32_t;
I wrappedAbs(I v) { return static_cast<I>(std::abs(static_cast<std::int64_t>(v))); }
I wrappedSquare(I v) { return static_cast<I>(static_cast<std::int64_t>(v) * v); }
I intSign(I v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

} // namespace

void registerUnaryOps(OpRegistry& registry) {
    addExactOp(registry, "relu", [](float v) { return relu(v); }, [](I v) { return std::max(v, 0); });
    addExactOp(registry, "relu6", [](float v) { return std::min(relu(v), 6.0f); }, [](I v) { return std::clamp(v, 0, 6); });
    addExactOp(registry, "abs", [](float v) { return std::fabs(v); }, [](I v) { return wrappedAbs(v); });
    addExactOp(registry, "sign", [](float v) { return sign(v); }, [](I v) { return intSign(v); });
    addExactOp(registry, "square", [](float v) { return v * v; }, [](I v) { return wrappedSquare(v); });
    addExactOp(registry, "floor", [](float v) { return std::floor(v); }, [](I v) { return v; });
    addExactOp(registry, "ceil", [](float v) { return std::ceil(v); }, [](I v) { return v; });
    addExactOp(registry, "round", [](float v) { return roundHalfToEven(v); }, [](I v) { return v; });

    addArrayOp(registry, "sigmoid", vmath::sigmoid);
    addArrayOp(registry, "tanh", vmath::tanh);
    addArrayOp(registry, "silu", vmath::silu);
    addArrayOp(registry, "softplus", vmath::softplus);
    addFloatOp(registry, "softsign", [](float v) { return v / (1.0f + std::fabs(v)); });
    addArrayOp(registry, "erf", vmath::erf);
    addArrayOp(registry, "exp", vmath::exp);
    addFloatOp(registry, "exp2", [](float v) { return std::exp2(v); });
    addFloatOp(registry, "sqrt", [](float v) { return std::sqrt(v); });
    addFloatOp(registry, "sin", [](float v) { return std::sin(v); });
    addFloatOp(registry, "cos", [](float v) { return std::cos(v); });
    addFloatOp(registry, "tan", [](float v) { return std::tan(v); });
    addFloatOp(registry, "asin", [](float v) { return std::asin(v); });
    addFloatOp(registry, "acos", [](float v) { return std::acos(v); });
    addFloatOp(registry, "atan", [](float v) { return std::atan(v); });
    addFloatOp(registry, "atanh", [](float v) { return std::atanh(v); });
    addFloatOp(registry, "sinh", [](float v) { return std::sinh(v); });
    addFloatOp(registry, "cosh", [](float v) { return std::cosh(v); });

    addEpsilonOp(registry, "rsqrt", 1e-12, [](float v) { return 1.0f / std::sqrt(v); });
    addEpsilonOp(registry, "inverse", 1e-4, [](float v) { return 1.0f / v; });

    registry.add("log", {logarithm, {"x"}});
    registry.add("logical_not", {logicalNot, {"x"}});
}

} // namespace platform::coreml::mil
