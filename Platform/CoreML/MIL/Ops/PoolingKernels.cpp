// avg_pool, max_pool and l2_pool over 1 to 3 spatial axes. Padding holds no
// values: a max ignores it and a sum of squares gains nothing from it; an
// average divides by the padded window unless told to count only real inputs.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/LinearArguments.hpp"
#include "Platform/CoreML/MIL/Ops/LinearFamily.hpp"
#include "Platform/CoreML/MIL/Ops/SpatialWindow.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace platform::coreml::mil {
namespace {

enum class Pooling { average, maximum, l2 };

// The part of one axis a window covers at an output position: the real input
// positions [first, last) and how many positions it spans inside the padded input.
struct AxisSpan {
    std::int64_t first;
    std::int64_t last;
    std::int64_t padded;
};

AxisSpan spanAt(const WindowAxis& axis, std::int64_t position) {
    const auto start = axis.inputAt(position, 0);
    const auto end = start + axis.kernel;
    return {std::max<std::int64_t>(start, 0), std::min(end, axis.input),
            std::min(end, axis.input + axis.padAfter) - start};
}

struct PoolingSetup {
    Pooling kind;
    bool countPadding = true;
};

float poolWindow(const Window& window, const float* plane, const std::array<AxisSpan, 3>& spans,
                 const PoolingSetup& setup) {
    const auto& [a0, a1, a2] = window.axes;
    float sum = 0.0f;
    float maximum = -std::numeric_limits<float>::infinity();
    for (auto i0 = spans[0].first; i0 < spans[0].last; ++i0) {
        for (auto i1 = spans[1].first; i1 < spans[1].last; ++i1) {
            const float* row = plane + (i0 * a1.input + i1) * a2.input;
            for (auto i2 = spans[2].first; i2 < spans[2].last; ++i2) {
                const float value = row[i2];
                sum += setup.kind == Pooling::l2 ? value * value : value;
                maximum = std::max(maximum, value);
            }
        }
    }
    std::int64_t real = 1;
    std::int64_t padded = 1;
    for (const auto& span : spans) {
        real *= std::max<std::int64_t>(0, span.last - span.first);
        padded *= span.padded;
    }
    if (real == 0) {
        return 0.0f; // a window lying wholly in the padding
    }
    switch (setup.kind) {
    case Pooling::maximum: return maximum;
    case Pooling::l2: return std::sqrt(sum);
    case Pooling::average: break;
    }
    return sum / static_cast<float>(setup.countPadding ? padded : real);
}

void poolPlane(const Window& window, const float* plane, const PoolingSetup& setup, float* output) {
    const auto& [a0, a1, a2] = window.axes;
    for (std::int64_t o0 = 0; o0 < a0.output; ++o0) {
        for (std::int64_t o1 = 0; o1 < a1.output; ++o1) {
            for (std::int64_t o2 = 0; o2 < a2.output; ++o2) {
                const std::array spans{spanAt(a0, o0), spanAt(a1, o1), spanAt(a2, o2)};
                *output++ = poolWindow(window, plane, spans, setup);
            }
        }
    }
}

std::vector<Tensor> pool(const OpCall& call, PoolingSetup setup) {
    const auto& x = floatTensor(call, "x");
    const auto rank = spatialRank(call, x);
    const Shape inputs(x.shape().begin() + 2, x.shape().end());
    const auto kernels = axisValues(call, "kernel_sizes", rank, std::nullopt);
    const auto rounding = call.boolParameter("ceil_mode", false) ? Rounding::ceil : Rounding::floor;
    const auto window = slidingWindow(call, inputs, kernels, axisValues(call, "strides", rank, 1),
                                      std::vector<std::int64_t>(static_cast<std::size_t>(rank), 1), rounding);
    Shape shape{x.dim(0), x.dim(1)};
    std::ranges::copy(spatialOutputs(window, rank), std::back_inserter(shape));
    Tensor result(DataType::fp32, shape, Tensor::Unfilled{});
    const float* input = x.floatValues().data();
    float* output = result.mutableFloatValues().data();
    const auto outputSize = window.outputSize();
    parallelFor(x.dim(0) * x.dim(1), grainFor(outputSize * window.kernelSize()),
                [&](std::int64_t begin, std::int64_t end) {
                    for (auto plane = begin; plane < end; ++plane) {
                        poolPlane(window, input + plane * window.inputSize(), setup, output + plane * outputSize);
                    }
                });
    return {result};
}

std::vector<Tensor> averagePool(const OpCall& call) {
    return pool(call, {Pooling::average, !call.boolParameter("exclude_padding_from_average", false)});
}

std::vector<Tensor> maxPool(const OpCall& call) { return pool(call, {Pooling::maximum}); }

std::vector<Tensor> l2Pool(const OpCall& call) { return pool(call, {Pooling::l2}); }

} // namespace

void registerPoolingKernels(OpRegistry& registry) {
    registry.add("avg_pool", {averagePool, {"x", "kernel_sizes"}});
    registry.add("max_pool", {maxPool, {"x", "kernel_sizes"}});
    registry.add("l2_pool", {l2Pool, {"x", "kernel_sizes"}});
}

} // namespace platform::coreml::mil
