// batch_norm, layer_norm, instance_norm, l2_norm and local_response_norm.
// Means and variances are population statistics taken in two passes.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/LinearArguments.hpp"
#include "Platform/CoreML/MIL/Ops/LinearFamily.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace platform::coreml::mil {
namespace {

std::size_t index(std::int64_t value) { return static_cast<std::size_t>(value); }

// A per-element scale and shift over a normalised extent: gamma and beta, or 1 and 0 when absent.
struct Affine {
    std::vector<float> gamma;
    std::vector<float> beta;

    Affine(const OpCall& call, std::int64_t count) {
        const auto scale = optionalVector(call, "gamma", count);
        const auto shift = optionalVector(call, "beta", count);
        gamma = scale.empty() ? std::vector<float>(index(count), 1.0f) : std::vector<float>(scale.begin(), scale.end());
        beta = shift.empty() ? std::vector<float>(index(count), 0.0f) : std::vector<float>(shift.begin(), shift.end());
    }
};

float epsilonOf(const OpCall& call, double fallback) {
    return static_cast<float>(call.floatParameter("epsilon", fallback));
}

void requireRank(const OpCall& call, const Tensor& x, std::int64_t lowest, std::int64_t highest) {
    if (x.rank() < lowest || x.rank() > highest) {
        call.fail("x must have rank " + std::to_string(lowest) + " to " + std::to_string(highest) + ", not " +
                  describeShape(x.shape()));
    }
}

// The sum of term(value) over `count` contiguous values, kept in independent
// partial sums so that the loop can run on vector lanes.
template <typename Term>
float sumOf(const float* values, std::int64_t count, const Term& term) {
    constexpr std::int64_t lanes = 8;
    std::array<float, lanes> partial{};
    std::int64_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        for (std::int64_t lane = 0; lane < lanes; ++lane) {
            partial[static_cast<std::size_t>(lane)] += term(values[i + lane]);
        }
    }
    float total = 0.0f;
    for (; i < count; ++i) {
        total += term(values[i]);
    }
    for (const auto value : partial) {
        total += value;
    }
    return total;
}

// Mean and 1/sqrt(variance + epsilon) of `count` contiguous values.
std::pair<float, float> statistics(const float* values, std::int64_t count, float epsilon) {
    const float sum = sumOf(values, count, [](float value) { return value; });
    const float mean = count == 0 ? 0.0f : sum / static_cast<float>(count);
    const float squares = sumOf(values, count, [mean](float value) { return (value - mean) * (value - mean); });
    const float variance = count == 0 ? 0.0f : squares / static_cast<float>(count);
    return {mean, 1.0f / std::sqrt(variance + epsilon)};
}

// Runs body(plane) for every plane, in parallel ranges sized by the work of one plane.
template <typename Body>
void forEachPlane(std::int64_t planes, std::int64_t planeSize, const Body& body) {
    parallelFor(planes, grainFor(planeSize), [&](std::int64_t begin, std::int64_t end) {
        for (auto plane = begin; plane < end; ++plane) {
            body(plane);
        }
    });
}

std::vector<Tensor> batchNorm(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    requireRank(call, x, 3, 5);
    const auto channels = x.dim(1);
    const auto mean = requiredVector(call, "mean", channels);
    const auto variance = requiredVector(call, "variance", channels);
    const Affine affine(call, channels);
    const auto epsilon = epsilonOf(call, 1e-5);
    std::vector<float> scale(index(channels));
    std::vector<float> shift(index(channels));
    for (std::size_t c = 0; c < index(channels); ++c) {
        scale[c] = affine.gamma[c] / std::sqrt(variance[c] + epsilon);
        shift[c] = affine.beta[c] - mean[c] * scale[c];
    }
    Tensor result(DataType::fp32, x.shape(), Tensor::Unfilled{});
    const float* input = x.floatValues().data();
    float* output = result.mutableFloatValues().data();
    const auto planeSize = elementCount(Shape(x.shape().begin() + 2, x.shape().end()));
    forEachPlane(x.dim(0) * channels, planeSize, [&](std::int64_t plane) {
        const auto c = index(plane % channels);
        for (auto i = plane * planeSize; i < (plane + 1) * planeSize; ++i) {
            output[i] = input[i] * scale[c] + shift[c];
        }
    });
    return {result};
}

std::vector<Tensor> instanceNorm(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    requireRank(call, x, 3, 5);
    const auto channels = x.dim(1);
    const Affine affine(call, channels);
    const auto epsilon = epsilonOf(call, 1e-5);
    Tensor result(DataType::fp32, x.shape(), Tensor::Unfilled{});
    const float* input = x.floatValues().data();
    float* output = result.mutableFloatValues().data();
    const auto planeSize = elementCount(Shape(x.shape().begin() + 2, x.shape().end()));
    forEachPlane(x.dim(0) * channels, planeSize, [&](std::int64_t plane) {
        const auto c = index(plane % channels);
        const float* values = input + plane * planeSize;
        const auto [mean, inverse] = statistics(values, planeSize, epsilon);
        const float scale = inverse * affine.gamma[c];
        for (std::int64_t i = 0; i < planeSize; ++i) {
            output[plane * planeSize + i] = (values[i] - mean) * scale + affine.beta[c];
        }
    });
    return {result};
}

// layer_norm over axes that form one block of x, seen as [outer, reduced, inner].
struct Block {
    std::int64_t outer = 1;
    std::int64_t reduced = 1;
    std::int64_t inner = 1;
};

void normaliseRows(const float* input, float* output, const Block& block, const Affine& affine, float epsilon) {
    forEachPlane(block.outer, block.reduced, [&](std::int64_t row) {
        const float* values = input + row * block.reduced;
        float* target = output + row * block.reduced;
        const auto [mean, inverse] = statistics(values, block.reduced, epsilon);
        for (std::int64_t i = 0; i < block.reduced; ++i) {
            target[i] = (values[i] - mean) * inverse * affine.gamma[index(i)] + affine.beta[index(i)];
        }
    });
}

// Statistics over the middle axis, for a band of inner columns at a time.
void normaliseColumns(const float* input, float* output, const Block& block, const Affine& affine, float epsilon) {
    constexpr std::int64_t bandWidth = 256;
    const auto bands = (block.inner + bandWidth - 1) / bandWidth;
    forEachPlane(block.outer * bands, block.reduced * bandWidth, [&](std::int64_t task) {
        const auto outer = task / bands;
        const auto first = (task % bands) * bandWidth;
        const auto width = std::min(bandWidth, block.inner - first);
        const auto at = [&](std::int64_t r) { return (outer * block.reduced + r) * block.inner + first; };
        std::vector<float> mean(index(width), 0.0f);
        std::vector<float> squares(index(width), 0.0f);
        for (std::int64_t r = 0; r < block.reduced; ++r) {
            for (std::int64_t j = 0; j < width; ++j) {
                mean[index(j)] += input[at(r) + j];
            }
        }
        for (auto& value : mean) {
            value /= static_cast<float>(block.reduced);
        }
        for (std::int64_t r = 0; r < block.reduced; ++r) {
            for (std::int64_t j = 0; j < width; ++j) {
                const float deviation = input[at(r) + j] - mean[index(j)];
                squares[index(j)] += deviation * deviation;
            }
        }
        for (auto& value : squares) {
            value = 1.0f / std::sqrt(value / static_cast<float>(block.reduced) + epsilon);
        }
        for (std::int64_t r = 0; r < block.reduced; ++r) {
            const float gamma = affine.gamma[index(r)];
            const float beta = affine.beta[index(r)];
            for (std::int64_t j = 0; j < width; ++j) {
                output[at(r) + j] = (input[at(r) + j] - mean[index(j)]) * squares[index(j)] * gamma + beta;
            }
        }
    });
}

// Element offsets of every position of `dims` (row-major over them) within x.
std::vector<std::int64_t> offsetsOver(const Shape& shape, const std::vector<std::int64_t>& dims) {
    const auto strides = shapeops::denseStrides(shape);
    std::vector<std::int64_t> offsets{0};
    for (const auto dim : dims) {
        std::vector<std::int64_t> grown;
        grown.reserve(offsets.size() * index(shape[index(dim)]));
        for (const auto offset : offsets) {
            for (std::int64_t i = 0; i < shape[index(dim)]; ++i) {
                grown.push_back(offset + i * strides[index(dim)]);
            }
        }
        offsets = std::move(grown);
    }
    return offsets;
}

// Axes that are not one block: statistics gathered through offset tables.
void normaliseScattered(const Tensor& x, const std::vector<std::int64_t>& axes, float* output, const Affine& affine,
                        float epsilon) {
    std::vector<std::int64_t> kept;
    for (std::int64_t dim = 0; dim < x.rank(); ++dim) {
        if (!std::ranges::binary_search(axes, dim)) {
            kept.push_back(dim);
        }
    }
    const auto reduced = offsetsOver(x.shape(), axes);
    const auto starts = offsetsOver(x.shape(), kept);
    const float* input = x.floatValues().data();
    const auto count = static_cast<std::int64_t>(reduced.size());
    forEachPlane(static_cast<std::int64_t>(starts.size()), count, [&](std::int64_t group) {
        const auto start = starts[index(group)];
        float sum = 0.0f;
        for (const auto offset : reduced) {
            sum += input[start + offset];
        }
        const float mean = sum / static_cast<float>(count);
        float squares = 0.0f;
        for (const auto offset : reduced) {
            const float deviation = input[start + offset] - mean;
            squares += deviation * deviation;
        }
        const float inverse = 1.0f / std::sqrt(squares / static_cast<float>(count) + epsilon);
        for (std::size_t r = 0; r < reduced.size(); ++r) {
            const auto at = start + reduced[r];
            output[at] = (input[at] - mean) * inverse * affine.gamma[r] + affine.beta[r];
        }
    });
}

std::vector<std::int64_t> layerAxes(const OpCall& call, const Tensor& x) {
    std::vector<std::int64_t> all(index(x.rank()));
    std::iota(all.begin(), all.end(), 0);
    auto axes = call.intsParameter("axes", all);
    if (axes.empty()) {
        call.fail("\"axes\" must name at least one axis");
    }
    for (auto& axis : axes) {
        axis = normaliseAxis(call, axis, x.rank());
    }
    std::ranges::sort(axes);
    if (std::ranges::adjacent_find(axes) != axes.end()) {
        call.fail("\"axes\" names an axis twice");
    }
    return axes;
}

std::vector<Tensor> layerNorm(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    const auto axes = layerAxes(call, x);
    const auto& shape = x.shape();
    Block block;
    for (std::int64_t dim = 0; dim < x.rank(); ++dim) {
        const auto size = shape[index(dim)];
        if (std::ranges::binary_search(axes, dim)) {
            block.reduced *= size;
        } else {
            (dim < axes.front() ? block.outer : block.inner) *= size;
        }
    }
    const Affine affine(call, block.reduced);
    const auto epsilon = epsilonOf(call, 1e-5);
    Tensor result(DataType::fp32, shape, Tensor::Unfilled{});
    float* output = result.mutableFloatValues().data();
    const bool contiguous = axes.back() - axes.front() + 1 == static_cast<std::int64_t>(axes.size());
    if (!contiguous) {
        normaliseScattered(x, axes, output, affine, epsilon);
    } else if (block.inner == 1) {
        normaliseRows(x.floatValues().data(), output, block, affine, epsilon);
    } else {
        normaliseColumns(x.floatValues().data(), output, block, affine, epsilon);
    }
    return {result};
}

std::vector<Tensor> l2Norm(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    const auto epsilon = epsilonOf(call, 1e-6);
    const auto normalised = std::min<std::int64_t>(3, x.rank());
    const auto groupSize = elementCount(Shape(x.shape().end() - normalised, x.shape().end()));
    Tensor result(DataType::fp32, x.shape(), Tensor::Unfilled{});
    const float* input = x.floatValues().data();
    float* output = result.mutableFloatValues().data();
    const auto groups = groupSize == 0 ? 0 : x.count() / groupSize;
    forEachPlane(groups, groupSize, [&](std::int64_t group) {
        const float* values = input + group * groupSize;
        const float squares = sumOf(values, groupSize, [](float value) { return value * value; });
        const float inverse = 1.0f / std::sqrt(squares + epsilon);
        for (std::int64_t i = 0; i < groupSize; ++i) {
            output[group * groupSize + i] = values[i] * inverse;
        }
    });
    return {result};
}

// Each channel is divided by (k + alpha/size · sum of squares over `size`
// neighbouring channels)^beta; the window reaches size/2 channels back and
// (size-1)/2 forward.
std::vector<Tensor> localResponseNorm(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    requireRank(call, x, 3, 5);
    const auto size = call.intParameter("size");
    if (size < 1) {
        call.fail("\"size\" must be at least 1, not " + std::to_string(size));
    }
    const auto alpha = static_cast<float>(call.floatParameter("alpha", 1e-4));
    const auto beta = static_cast<float>(call.floatParameter("beta", 0.75));
    const auto bias = static_cast<float>(call.floatParameter("k", 1.0));
    const auto channels = x.dim(1);
    const auto planeSize = elementCount(Shape(x.shape().begin() + 2, x.shape().end()));
    Tensor result(DataType::fp32, x.shape(), Tensor::Unfilled{});
    const float* input = x.floatValues().data();
    float* output = result.mutableFloatValues().data();
    forEachPlane(x.dim(0) * channels, planeSize * size, [&](std::int64_t plane) {
        const auto n = plane / channels;
        const auto c = plane % channels;
        const auto first = std::max<std::int64_t>(0, c - size / 2);
        const auto last = std::min(channels - 1, c + (size - 1) / 2);
        std::vector<float> squares(index(planeSize), 0.0f);
        for (auto neighbour = first; neighbour <= last; ++neighbour) {
            const float* values = input + (n * channels + neighbour) * planeSize;
            for (std::int64_t i = 0; i < planeSize; ++i) {
                squares[index(i)] += values[i] * values[i];
            }
        }
        const float* values = input + plane * planeSize;
        for (std::int64_t i = 0; i < planeSize; ++i) {
            const float scale = bias + alpha / static_cast<float>(size) * squares[index(i)];
            output[plane * planeSize + i] = values[i] / std::pow(scale, beta);
        }
    });
    return {result};
}

} // namespace

void registerNormalisationKernels(OpRegistry& registry) {
    registry.add("batch_norm", {batchNorm, {"x", "mean", "variance"}});
    registry.add("instance_norm", {instanceNorm, {"x"}});
    registry.add("layer_norm", {layerNorm, {"x"}});
    registry.add("l2_norm", {l2Norm, {"x"}});
    registry.add("local_response_norm", {localResponseNorm, {"x", "size"}});
}

} // namespace platform::coreml::mil
