// conv over 1 to 3 spatial axes: a product of each group's weights with the
// patch matrix of its input channels, or a direct loop when each output
// channel reads a single input channel that few others read (depthwise).

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/LinearArguments.hpp"
#include "Platform/CoreML/MIL/Ops/LinearFamily.hpp"
#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"
#include "Platform/CoreML/MIL/Ops/PatchMatrix.hpp"
#include "Platform/CoreML/MIL/Ops/SpatialWindow.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace platform::coreml::mil {
namespace {

struct Convolution {
    Window window;
    std::int64_t batch = 0;
    std::int64_t inChannels = 0;
    std::int64_t outChannels = 0;
    std::int64_t groups = 1;
    const float* input = nullptr;
    const float* weight = nullptr;
    const PackedMatrix* packedWeight = nullptr; // stands in for `weight` when set
    const float* bias = nullptr;
    float* output = nullptr;

    std::int64_t inPerGroup() const { return inChannels / groups; }
    std::int64_t outPerGroup() const { return outChannels / groups; }
    std::int64_t patchRows() const { return inPerGroup() * window.kernelSize(); }
};

using OutputRanges = std::vector<std::pair<std::int64_t, std::int64_t>>;

// row[i] += tap · source[i] for i < count, in fixed blocks the compiler puts on vector lanes.
void addScaledRow(float* row, const float* source, float tap, std::int64_t count) {
    constexpr std::int64_t block = 8;
    std::int64_t i = 0;
    for (; i + block <= count; i += block) {
        std::array<float, block> values;
        for (std::int64_t j = 0; j < block; ++j) {
            values[static_cast<std::size_t>(j)] = source[i + j];
        }
        for (std::int64_t j = 0; j < block; ++j) {
            row[i + j] += tap * values[static_cast<std::size_t>(j)];
        }
    }
    for (; i < count; ++i) {
        row[i] += tap * source[i];
    }
}

// One output plane of a convolution whose output channel reads one input
// plane; `valid` holds the innermost axis's valid outputs for each of its taps.
void convolvePlane(const Window& window, const OutputRanges& valid, const float* input, const float* kernel,
                   float bias, float* output) {
    const auto& [a0, a1, a2] = window.axes;
    std::fill_n(output, window.outputSize(), bias);
    for (std::int64_t o0 = 0; o0 < a0.output; ++o0) {
        for (std::int64_t o1 = 0; o1 < a1.output; ++o1) {
            float* row = output + (o0 * a1.output + o1) * a2.output;
            for (std::int64_t k0 = 0; k0 < a0.kernel; ++k0) {
                const auto i0 = a0.inputAt(o0, k0);
                if (i0 < 0 || i0 >= a0.input) {
                    continue;
                }
                for (std::int64_t k1 = 0; k1 < a1.kernel; ++k1) {
                    const auto i1 = a1.inputAt(o1, k1);
                    if (i1 < 0 || i1 >= a1.input) {
                        continue;
                    }
                    const float* source = input + (i0 * a1.input + i1) * a2.input;
                    const float* taps = kernel + (k0 * a1.kernel + k1) * a2.kernel;
                    for (std::int64_t k2 = 0; k2 < a2.kernel; ++k2) {
                        const auto [first, last] = valid[static_cast<std::size_t>(k2)];
                        const auto offset = k2 * a2.dilation - a2.padBefore;
                        const float tap = taps[k2];
                        if (first >= last) {
                            continue;
                        }
                        if (a2.stride == 1) {
                            addScaledRow(row + first, source + first + offset, tap, last - first);
                        } else {
                            for (auto o2 = first; o2 < last; ++o2) {
                                row[o2] += tap * source[o2 * a2.stride + offset];
                            }
                        }
                    }
                }
            }
        }
    }
}

void convolveDirectly(const Convolution& conv) {
    const auto planes = conv.batch * conv.outChannels;
    const auto outputSize = conv.window.outputSize();
    const auto& innermost = conv.window.axes.back();
    OutputRanges valid;
    for (std::int64_t tap = 0; tap < innermost.kernel; ++tap) {
        valid.push_back(innermost.validOutputs(tap));
    }
    parallelFor(planes, grainFor(outputSize * conv.window.kernelSize()), [&](std::int64_t begin, std::int64_t end) {
        for (auto plane = begin; plane < end; ++plane) {
            const auto n = plane / conv.outChannels;
            const auto channel = plane % conv.outChannels;
            const auto source = n * conv.inChannels + channel / conv.outPerGroup();
            convolvePlane(conv.window, valid, conv.input + source * conv.window.inputSize(),
                          conv.weight + channel * conv.window.kernelSize(),
                          conv.bias == nullptr ? 0.0f : conv.bias[channel], conv.output + plane * outputSize);
        }
    });
}

// The product of batch item n's group g: its weights times `patches`.
ProductOperands groupProduct(const Convolution& conv, std::int64_t item, const float* patches) {
    const auto n = item / conv.groups;
    const auto g = item % conv.groups;
    ProductOperands product{nullptr, patches,
                            conv.output + (n * conv.outChannels + g * conv.outPerGroup()) * conv.window.outputSize(),
                            nullptr, conv.bias == nullptr ? nullptr : conv.bias + g * conv.outPerGroup()};
    if (conv.packedWeight != nullptr) {
        product.packedA = {conv.packedWeight, g * conv.outPerGroup()};
    } else {
        product.a = conv.weight + g * conv.outPerGroup() * conv.patchRows();
    }
    return product;
}

const float* groupInput(const Convolution& conv, std::int64_t item) {
    const auto n = item / conv.groups;
    const auto g = item % conv.groups;
    return conv.input + (n * conv.inChannels + g * conv.inPerGroup()) * conv.window.inputSize();
}

void convolveByProducts(const Convolution& conv) {
    const auto items = conv.batch * conv.groups;
    const ProductShape shape{conv.outPerGroup(), conv.window.outputSize(), conv.patchRows()};
    if (conv.window.isPointwise()) {
        // The input planes are the patch matrix already.
        std::vector<ProductOperands> products;
        for (std::int64_t item = 0; item < items; ++item) {
            products.push_back(groupProduct(conv, item, groupInput(conv, item)));
        }
        multiply(shape, products);
        return;
    }
    const auto patchSize = static_cast<std::size_t>(conv.patchRows() * conv.window.outputSize());
    if (items >= workerCount()) {
        parallelFor(items, 1, [&](std::int64_t begin, std::int64_t end) {
            std::vector<float> patches(patchSize);
            for (auto item = begin; item < end; ++item) {
                gatherPatches(conv.window, groupInput(conv, item), 0, conv.patchRows(), patches.data());
                multiplyOnCaller(shape, groupProduct(conv, item, patches.data()));
            }
        });
        return;
    }
    std::vector<float> patches(patchSize);
    for (std::int64_t item = 0; item < items; ++item) {
        parallelFor(conv.patchRows(), grainFor(conv.window.outputSize()), [&](std::int64_t begin, std::int64_t end) {
            gatherPatches(conv.window, groupInput(conv, item), begin, end, patches.data());
        });
        const auto product = groupProduct(conv, item, patches.data());
        multiply(shape, {&product, 1});
    }
}

std::vector<Tensor> conv(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    const auto& weight = floatTensor(call, "weight");
    const auto rank = spatialRank(call, x);
    if (weight.rank() != x.rank()) {
        call.fail("weight must be [C_out, C_in/groups] and one kernel size per spatial axis of x " +
                  describeShape(x.shape()) + ", not " + describeShape(weight.shape()));
    }
    Convolution conv;
    conv.batch = x.dim(0);
    conv.inChannels = x.dim(1);
    conv.outChannels = weight.dim(0);
    conv.groups = call.intParameter("groups", 1);
    if (conv.groups < 1 || conv.inChannels % conv.groups != 0 || conv.outChannels % conv.groups != 0) {
        call.fail("groups " + std::to_string(conv.groups) + " must divide the " + std::to_string(conv.inChannels) +
                  " input and " + std::to_string(conv.outChannels) + " output channels");
    }
    if (weight.dim(1) != conv.inPerGroup()) {
        call.fail("weight " + describeShape(weight.shape()) + " takes " + std::to_string(weight.dim(1)) +
                  " input channels per group, but x has " + std::to_string(conv.inChannels) + " in " +
                  std::to_string(conv.groups) + " groups");
    }
    const auto bias = optionalVector(call, "bias", conv.outChannels);
    const Shape inputs(x.shape().begin() + 2, x.shape().end());
    const Shape kernels(weight.shape().begin() + 2, weight.shape().end());
    conv.window = slidingWindow(call, inputs, kernels, axisValues(call, "strides", rank, 1),
                                axisValues(call, "dilations", rank, 1), Rounding::floor);
    Shape shape{conv.batch, conv.outChannels};
    std::ranges::copy(spatialOutputs(conv.window, rank), std::back_inserter(shape));
    Tensor result(DataType::fp32, shape, Tensor::Unfilled{});
    // Outputs that each read one input channel alone gain nothing from a
    // patch matrix; several outputs sharing one input channel do.
    constexpr std::int64_t mostOutputsPerInputForDirectLoop = 4;
    conv.input = x.floatValues().data();
    // Products widen a packed weight a tile at a time; the direct loop needs it whole.
    const bool direct = conv.inPerGroup() == 1 && conv.outPerGroup() <= mostOutputsPerInputForDirectLoop;
    const auto widened = direct ? weight.unpacked() : Tensor{};
    conv.packedWeight = direct ? nullptr : weight.packedMatrix();
    conv.weight = conv.packedWeight != nullptr ? nullptr : (direct ? widened : weight).floatValues().data();
    conv.bias = bias.empty() ? nullptr : bias.data();
    conv.output = result.mutableFloatValues().data();
    if (direct) {
        convolveDirectly(conv);
    } else {
        convolveByProducts(conv);
    }
    return {result};
}

} // namespace

void registerConvolutionKernel(OpRegistry& registry) { registry.add("conv", {conv, {"x", "weight"}}); }

} // namespace platform::coreml::mil
