#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/AxisLines.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseMath.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace platform::coreml::mil {
namespace {

float parameter(const OpCall& call, const char* name, double fallback) {
    return static_cast<float>(call.floatParameter(name, fallback));
}

std::vector<Tensor> gelu(const OpCall& call) {
    const auto mode = call.textParameter("mode", "EXACT");
    if (mode == "EXACT") {
        return mapInput(call, [](float v) { return 0.5f * v * (1.0f + std::erf(v / std::numbers::sqrt2_v<float>)); });
    }
    if (mode == "TANH_APPROXIMATION") {
        const auto k = static_cast<float>(std::sqrt(2.0 / std::numbers::pi));
        return mapInput(call, [k](float v) { return 0.5f * v * (1.0f + std::tanh(k * (v + 0.044715f * v * v * v))); });
    }
    if (mode == "SIGMOID_APPROXIMATION") {
        return mapInput(call, [](float v) { return v * sigmoid(1.702f * v); });
    }
    call.fail("unknown mode \"" + mode + "\"");
}

// Per-channel parameters along axis 1: one value for each channel of x.
std::vector<float> channelParameter(const OpCall& call, const Tensor& x, const char* name) {
    if (x.rank() < 2) {
        call.fail("x needs a channel axis 1, but its shape is " + describeShape(x.shape()));
    }
    const auto& values = numericInput(call, name);
    if (values.count() != x.shape()[1]) {
        call.fail(std::string(name) + " has " + std::to_string(values.count()) + " values for " +
                  std::to_string(x.shape()[1]) + " channels");
    }
    return values.toFloats();
}

// out[i] = f(x[i], channel of element i).
template <class F>
std::vector<Tensor> mapChannels(const Tensor& x, F f) {
    const auto in = asFloats(x);
    const AxisLines lines(in.shape(), 1);
    Tensor out(DataType::fp32, in.shape());
    const auto src = in.floatValues();
    const auto dst = out.mutableFloatValues();
    parallelFor(in.count(), elementwiseGrain, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = begin; i < end; ++i) {
            const auto channel = static_cast<std::size_t>((i / lines.inner) % lines.size);
            dst[static_cast<std::size_t>(i)] = f(src[static_cast<std::size_t>(i)], channel);
        }
    });
    return {std::move(out)};
}

std::vector<Tensor> prelu(const OpCall& call) {
    const auto& x = numericInput(call, "x");
    const auto alpha = channelParameter(call, x, "alpha");
    return mapChannels(x, [&alpha](float v, std::size_t c) { return v >= 0 ? v : alpha[c] * v; });
}

std::vector<Tensor> softplusParametric(const OpCall& call) {
    const auto& x = numericInput(call, "x");
    const auto alpha = channelParameter(call, x, "alpha");
    const auto beta = channelParameter(call, x, "beta");
    return mapChannels(x, [&](float v, std::size_t c) { return alpha[c] * softplus(beta[c] * v); });
}

std::vector<Tensor> clampedRelu(const OpCall& call) {
    const auto alpha = static_cast<float>(call.floatParameter("alpha"));
    const auto beta = static_cast<float>(call.floatParameter("beta"));
    return mapInput(call, [alpha, beta](float v) { return std::min(beta, v >= 0 ? v : alpha * v); });
}

// Each line along the axis becomes exp(v - max) / sum, or its logarithm
// (v - max) - log(sum), so large inputs stay finite.
std::vector<Tensor> softmaxLines(const OpCall& call, bool logarithm) {
    const auto in = asFloats(numericInput(call, "x"));
    const auto axis = normaliseAxis(call, call.intParameter("axis", -1), in.rank());
    const AxisLines lines(in.shape(), axis);
    Tensor out(DataType::fp32, in.shape());
    const auto src = in.floatValues();
    const auto dst = out.mutableFloatValues();
    const auto grain = std::max<std::int64_t>(1, elementwiseGrain / std::max<std::int64_t>(lines.size, 1));
    parallelFor(lines.count(), grain, [&](std::int64_t begin, std::int64_t end) {
        for (auto line = begin; line < end; ++line) {
            const auto start = lines.start(line);
            const auto at = [&](std::int64_t j) { return static_cast<std::size_t>(start + j * lines.inner); };
            auto largest = -std::numeric_limits<float>::infinity();
            for (std::int64_t j = 0; j < lines.size; ++j) {
                largest = std::max(largest, src[at(j)]);
            }
            double sum = 0;
            for (std::int64_t j = 0; j < lines.size; ++j) {
                dst[at(j)] = std::exp(src[at(j)] - largest);
                sum += dst[at(j)];
            }
            if (logarithm) {
                const auto logSum = static_cast<float>(std::log(sum));
                for (std::int64_t j = 0; j < lines.size; ++j) {
                    dst[at(j)] = src[at(j)] - largest - logSum;
                }
                continue;
            }
            const auto scale = static_cast<float>(1.0 / sum);
            for (std::int64_t j = 0; j < lines.size; ++j) {
                dst[at(j)] *= scale;
            }
        }
    });
    return {std::move(out)};
}

std::vector<Tensor> softmax(const OpCall& call) { return softmaxLines(call, false); }
std::vector<Tensor> logSoftmax(const OpCall& call) { return softmaxLines(call, true); }

} // namespace

void registerActivationOps(OpRegistry& registry) {
    registry.add("leaky_relu", {[](const OpCall& call) {
                                    const auto alpha = parameter(call, "alpha", 0.01);
                                    return mapInput(call, [alpha](float v) { return v >= 0 ? v : alpha * v; });
                                },
                                {"x"}});
    registry.add("elu", {[](const OpCall& call) {
                             const auto alpha = parameter(call, "alpha", 1.0);
                             return mapInput(call, [alpha](float v) { return v > 0 ? v : alpha * std::expm1(v); });
                         },
                         {"x"}});
    registry.add("thresholded_relu", {[](const OpCall& call) {
                                          const auto alpha = parameter(call, "alpha", 1.0);
                                          return mapInput(call, [alpha](float v) { return v > alpha ? v : 0.0f; });
                                      },
                                      {"x"}});
    registry.add("scaled_tanh", {[](const OpCall& call) {
                                     const auto alpha = parameter(call, "alpha", 1.0);
                                     const auto beta = parameter(call, "beta", 1.0);
                                     return mapInput(call, [alpha, beta](float v) { return alpha * std::tanh(beta * v); });
                                 },
                                 {"x"}});
    registry.add("sigmoid_hard", {[](const OpCall& call) {
                                      const auto alpha = parameter(call, "alpha", 0.2);
                                      const auto beta = parameter(call, "beta", 0.5);
                                      return mapInput(call, [alpha, beta](float v) { return std::clamp(alpha * v + beta, 0.0f, 1.0f); });
                                  },
                                  {"x"}});
    registry.add("linear_activation", {[](const OpCall& call) {
                                           const auto alpha = parameter(call, "alpha", 1.0);
                                           const auto beta = parameter(call, "beta", 0.0);
                                           return mapInput(call, [alpha, beta](float v) { return alpha * v + beta; });
                                       },
                                       {"x"}});
    registry.add("clamped_relu", {clampedRelu, {"x", "alpha", "beta"}});
    registry.add("gelu", {gelu, {"x"}});
    registry.add("prelu", {prelu, {"x", "alpha"}});
    registry.add("softplus_parametric", {softplusParametric, {"x", "alpha", "beta"}});
    registry.add("softmax", {softmax, {"x"}});
    registry.add("log_softmax", {logSoftmax, {"x"}});
}

} // namespace platform::coreml::mil
