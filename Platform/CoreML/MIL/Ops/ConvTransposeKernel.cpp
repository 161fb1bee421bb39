// conv_transpose: the adjoint of a convolution. Each group's transposed
// weights times its input give one column of kernel taps per input position,
// which are then added into the output positions they reach.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/LinearArguments.hpp"
#include "Platform/CoreML/MIL/Ops/LinearFamily.hpp"
#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"
#include "Platform/CoreML/MIL/Ops/PatchMatrix.hpp"
#include "Platform/CoreML/MIL/Ops/SpatialWindow.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace platform::coreml::mil {
namespace {

struct TransposedConvolution {
    // The window of the convolution this one is the adjoint of: its input is
    // our output and its output our input.
    Window window;
    std::int64_t batch = 0;
    std::int64_t inChannels = 0;
    std::int64_t outChannels = 0;
    std::int64_t groups = 1;
    const float* input = nullptr;
    const float* weight = nullptr;
    std::span<const float> bias;
    float* output = nullptr;

    std::int64_t inPerGroup() const { return inChannels / groups; }
    std::int64_t outPerGroup() const { return outChannels / groups; }
    std::int64_t patchRows() const { return outPerGroup() * window.kernelSize(); }
};

// Output sizes of the spatial axes and the padding cut from their start.
struct OutputAxis {
    std::int64_t size;
    std::int64_t padBefore;
};

std::vector<std::int64_t> requestedSizes(const OpCall& call, std::int64_t rank, std::int64_t fullRank) {
    if (!call.has("output_shape")) {
        return {};
    }
    auto sizes = call.intsParameter("output_shape");
    const auto count = static_cast<std::int64_t>(sizes.size());
    if (count != rank && count != fullRank) {
        call.fail("\"output_shape\" needs " + std::to_string(rank) + " spatial sizes or the whole shape of rank " +
                  std::to_string(fullRank) + ", not " + std::to_string(count) + " values");
    }
    sizes.erase(sizes.begin(), sizes.end() - rank);
    return sizes;
}

std::vector<OutputAxis> outputAxes(const OpCall& call, const Shape& inputs, const Shape& kernels,
                                   std::span<const std::int64_t> strides, std::span<const std::int64_t> dilations,
                                   std::int64_t fullRank) {
    const auto rank = static_cast<std::int64_t>(inputs.size());
    const auto type = padType(call);
    const auto pad = type == PadType::custom ? customPad(call, rank) : std::vector<std::int64_t>{};
    const auto requested = requestedSizes(call, rank, fullRank);
    std::vector<OutputAxis> axes;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (kernels[i] < 1) {
            call.fail("kernel sizes must be at least 1");
        }
        const auto full = (inputs[i] - 1) * strides[i] + (kernels[i] - 1) * dilations[i] + 1;
        OutputAxis axis{full, 0};
        if (type == PadType::custom) {
            axis = {full - pad[2 * i] - pad[2 * i + 1], pad[2 * i]};
        } else if (type != PadType::valid) {
            axis.size = inputs[i] * strides[i];
            const auto total = std::max<std::int64_t>(0, full - axis.size);
            axis.padBefore = type == PadType::same ? total / 2 : total - total / 2;
        }
        if (!requested.empty()) {
            axis.size = requested[i];
        }
        if (axis.size < 1) {
            call.fail("the output would have " + std::to_string(axis.size) + " elements along spatial axis " +
                      std::to_string(i));
        }
        axes.push_back(axis);
    }
    return axes;
}

Window adjointWindow(const Shape& inputs, const Shape& kernels, std::span<const std::int64_t> strides,
                     std::span<const std::int64_t> dilations, const std::vector<OutputAxis>& outputs) {
    Window window;
    const auto first = windowAxisCount - inputs.size();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        auto& axis = window.axes[first + i];
        axis.input = outputs[i].size;
        axis.output = inputs[i];
        axis.kernel = kernels[i];
        axis.stride = strides[i];
        axis.dilation = dilations[i];
        axis.padBefore = outputs[i].padBefore;
    }
    return window;
}

// Batch item n's group g: the taps of its output channels at every input position.
void tapsOfGroup(const TransposedConvolution& conv, std::int64_t item, float* taps, bool inParallel) {
    const auto n = item / conv.groups;
    const auto g = item % conv.groups;
    const auto positions = conv.window.outputSize();
    const ProductShape shape{conv.patchRows(), positions, conv.inPerGroup(), accel::Transpose::transposed};
    const ProductOperands product{conv.weight + g * conv.inPerGroup() * conv.patchRows(),
                                  conv.input + (n * conv.inChannels + g * conv.inPerGroup()) * positions, taps};
    if (inParallel) {
        multiply(shape, {&product, 1});
    } else {
        multiplyOnCaller(shape, product);
    }
}

// Starts output channels [begin, end) of a group at their bias and adds the taps in.
void addTaps(const TransposedConvolution& conv, std::int64_t item, const float* taps, std::int64_t begin,
             std::int64_t end) {
    const auto n = item / conv.groups;
    const auto g = item % conv.groups;
    const auto planeSize = conv.window.inputSize();
    float* planes = conv.output + (n * conv.outChannels + g * conv.outPerGroup()) * planeSize;
    for (auto channel = begin; channel < end; ++channel) {
        const auto bias = conv.bias.empty() ? 0.0f : conv.bias[static_cast<std::size_t>(g * conv.outPerGroup() + channel)];
        std::fill_n(planes + channel * planeSize, planeSize, bias);
    }
    scatterPatches(conv.window, taps, begin, end, planes);
}

void run(const TransposedConvolution& conv) {
    const auto items = conv.batch * conv.groups;
    const auto tapsSize = static_cast<std::size_t>(conv.patchRows() * conv.window.outputSize());
    if (items >= workerCount()) {
        parallelFor(items, 1, [&](std::int64_t begin, std::int64_t end) {
            std::vector<float> taps(tapsSize);
            for (auto item = begin; item < end; ++item) {
                tapsOfGroup(conv, item, taps.data(), false);
                addTaps(conv, item, taps.data(), 0, conv.outPerGroup());
            }
        });
        return;
    }
    std::vector<float> taps(tapsSize);
    const auto channelWork = conv.window.kernelSize() * conv.window.outputSize() + conv.window.inputSize();
    for (std::int64_t item = 0; item < items; ++item) {
        tapsOfGroup(conv, item, taps.data(), true);
        parallelFor(conv.outPerGroup(), grainFor(channelWork), [&](std::int64_t begin, std::int64_t end) {
            addTaps(conv, item, taps.data(), begin, end);
        });
    }
}

std::vector<Tensor> convTranspose(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    const auto& weight = floatTensor(call, "weight");
    const auto rank = spatialRank(call, x);
    if (weight.rank() != x.rank()) {
        call.fail("weight must be [C_in, C_out/groups] and one kernel size per spatial axis of x " +
                  describeShape(x.shape()) + ", not " + describeShape(weight.shape()));
    }
    TransposedConvolution conv;
    conv.batch = x.dim(0);
    conv.inChannels = x.dim(1);
    conv.groups = call.intParameter("groups", 1);
    if (conv.groups < 1 || conv.inChannels % conv.groups != 0) {
        call.fail("groups " + std::to_string(conv.groups) + " must divide the " + std::to_string(conv.inChannels) +
                  " input channels");
    }
    if (weight.dim(0) != conv.inChannels) {
        call.fail("weight " + describeShape(weight.shape()) + " is for " + std::to_string(weight.dim(0)) +
                  " input channels, but x has " + std::to_string(conv.inChannels));
    }
    conv.outChannels = weight.dim(1) * conv.groups;
    conv.bias = optionalVector(call, "bias", conv.outChannels);
    const Shape inputs(x.shape().begin() + 2, x.shape().end());
    const Shape kernels(weight.shape().begin() + 2, weight.shape().end());
    const auto strides = axisValues(call, "strides", rank, 1);
    const auto dilations = axisValues(call, "dilations", rank, 1);
    const auto outputs = outputAxes(call, inputs, kernels, strides, dilations, x.rank());
    conv.window = adjointWindow(inputs, kernels, strides, dilations, outputs);
    Shape shape{conv.batch, conv.outChannels};
    std::ranges::transform(outputs, std::back_inserter(shape), &OutputAxis::size);
    Tensor result(DataType::fp32, shape, Tensor::Unfilled{});
    conv.input = x.floatValues().data();
    conv.weight = weight.floatValues().data();
    conv.output = result.mutableFloatValues().data();
    run(conv);
    return {result};
}

} // namespace

void registerConvTransposeKernel(OpRegistry& registry) {
    registry.add("conv_transpose", {convTranspose, {"x", "weight"}});
}

} // namespace platform::coreml::mil
