#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ArrayMapping.hpp"
#include "Platform/CoreML/MIL/Ops/AxisLines.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseMath.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"
#include "Platform/CoreML/MIL/Ops/VectorMathArrays.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace platform::coreml::mil {
namespace {

float parameter(const OpCall& call, const char* name, double fallback) {
    return static_cast<float>(call.floatParameter(name, fallback));
}

std::vector<Tensor> gelu(const OpCall& call) {
    const auto mode = call.textParameter("mode", "EXACT");
    const auto& x = numericInput(call, "x");
    if (mode == "EXACT") {
        return {mapArray(x, vmath::geluErf)};
    }
    if (mode == "TANH_APPROXIMATION") {
        return {mapArray(x, vmath::geluTanh)};
    }
    if (mode == "SIGMOID_APPROXIMATION") {
        return {mapArray(x, vmath::geluSigmoid)};
    }
    call.fail("unknown mode \"" + mode + "\"");
}

std::vector<Tensor> scaledTanh(const OpCall& call) {
    const auto alpha = parameter(call, "alpha", 1.0);
    const auto beta = parameter(call, "beta", 1.0);
    return {mapArray(numericInput(call, "x"), [alpha, beta](std::span<const float> in, std::span<float> out) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            out[i] = beta * in[i];
        }
        vmath::tanh(out, out);
        vmath::scale(out, alpha);
    })};
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
// (v - max) - log(sum), so large inputs stay finite. Sums are kept in double.
void softmaxRow(std::span<const float> in, std::span<float> out, bool logarithm) {
    const auto largest = vmath::largestOf(in);
    const auto sum = vmath::expShifted(in, out, largest);
    if (logarithm) {
        const auto logSum = static_cast<float>(std::log(sum));
        for (std::size_t j = 0; j < in.size(); ++j) {
            out[j] = in[j] - largest - logSum;
        }
        return;
    }
    vmath::scale(out, static_cast<float>(1.0 / sum));
}

// Lines that are not contiguous (an axis before the last), a band of
// neighbouring lines at a time: row j of the band holds element j of each
// line, so every step reads contiguous values.
struct Band {
    std::int64_t rows;   // the length of each line
    std::int64_t width;  // lines in the band
    std::int64_t stride; // between rows
};

void softmaxBand(const float* in, float* out, const Band& band, bool logarithm) {
    const auto width = static_cast<std::size_t>(band.width);
    const auto row = [&](auto* base, std::int64_t j) { return base + j * band.stride; };
    std::vector<float> largest(width, -std::numeric_limits<float>::infinity());
    for (std::int64_t j = 0; j < band.rows; ++j) {
        const float* values = row(in, j);
        for (std::size_t c = 0; c < width; ++c) {
            largest[c] = largest[c] < values[c] ? values[c] : largest[c];
        }
    }
    for (std::int64_t j = 0; j < band.rows; ++j) {
        const float* values = row(in, j);
        float* shifted = row(out, j);
        for (std::size_t c = 0; c < width; ++c) {
            shifted[c] = values[c] - largest[c];
        }
    }
    if (band.width == band.stride) { // the band is one contiguous block
        const std::span block(out, static_cast<std::size_t>(band.rows * band.width));
        vmath::exp(block, block);
    } else {
        for (std::int64_t j = 0; j < band.rows; ++j) {
            const std::span shifted(row(out, j), width);
            vmath::exp(shifted, shifted);
        }
    }
    std::vector<double> sums(width, 0.0);
    for (std::int64_t j = 0; j < band.rows; ++j) {
        const float* values = row(out, j);
        for (std::size_t c = 0; c < width; ++c) {
            sums[c] += values[c];
        }
    }
    std::vector<float> factors(width);
    for (std::size_t c = 0; c < width; ++c) {
        factors[c] = static_cast<float>(logarithm ? std::log(sums[c]) : 1.0 / sums[c]);
    }
    for (std::int64_t j = 0; j < band.rows; ++j) {
        const float* values = row(in, j);
        float* target = row(out, j);
        for (std::size_t c = 0; c < width; ++c) {
            target[c] = logarithm ? values[c] - largest[c] - factors[c] : target[c] * factors[c];
        }
    }
}

std::vector<Tensor> softmaxLines(const OpCall& call, bool logarithm) {
    const auto in = asFloats(numericInput(call, "x"));
    const auto axis = normaliseAxis(call, call.intParameter("axis", -1), in.rank());
    const AxisLines lines(in.shape(), axis);
    Tensor out(DataType::fp32, in.shape(), Tensor::Unfilled{}); // every element is written
    const auto src = in.floatValues();
    const auto dst = out.mutableFloatValues();
    const auto lineSize = std::max<std::int64_t>(lines.size, 1);
    if (lines.inner == 1) {
        const auto length = static_cast<std::size_t>(lines.size);
        const auto grain = std::max<std::int64_t>(1, elementwiseGrain / lineSize);
        parallelFor(lines.count(), grain, [&](std::int64_t begin, std::int64_t end) {
            for (auto line = begin; line < end; ++line) {
                const auto start = static_cast<std::size_t>(line) * length;
                softmaxRow(src.subspan(start, length), dst.subspan(start, length), logarithm);
            }
        });
        return {std::move(out)};
    }
    constexpr std::int64_t bandWidth = 256;
    const auto bands = (lines.inner + bandWidth - 1) / bandWidth;
    const auto grain = std::max<std::int64_t>(1, elementwiseGrain / (lineSize * std::min(bandWidth, lines.inner)));
    parallelFor(lines.outer * bands, grain, [&](std::int64_t begin, std::int64_t end) {
        for (auto task = begin; task < end; ++task) {
            const auto first = (task / bands) * lines.size * lines.inner + (task % bands) * bandWidth;
            const Band band{lines.size, std::min(bandWidth, lines.inner - (task % bands) * bandWidth), lines.inner};
            softmaxBand(src.data() + first, dst.data() + first, band, logarithm);
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
    registry.add("scaled_tanh", {scaledTanh, {"x"}});
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
