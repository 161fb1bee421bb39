#include "Platform/CoreML/MIL/Ops/SpatialWindow.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil {
namespace {

std::int64_t ceilDivide(std::int64_t numerator, std::int64_t denominator) {
    return numerator >= 0 ? (numerator + denominator - 1) / denominator : -((-numerator) / denominator);
}

std::int64_t floorDivide(std::int64_t numerator, std::int64_t denominator) {
    return numerator >= 0 ? numerator / denominator : -ceilDivide(-numerator, denominator);
}

std::size_t firstAxis(std::int64_t rank) { return windowAxisCount - static_cast<std::size_t>(rank); }

// Splits the padding "same" needs so that outputs number ceil(input / stride).
void padToSame(WindowAxis& axis, PadType type) {
    const auto strided = axis.stride * ceilDivide(axis.input, axis.stride);
    const auto total = std::max<std::int64_t>(0, strided - axis.input + axis.effectiveKernel() - axis.stride);
    const auto smaller = total / 2;
    axis.padBefore = type == PadType::same ? smaller : total - smaller;
    axis.padAfter = total - axis.padBefore;
}

std::int64_t outputSize(const OpCall& call, const WindowAxis& axis, Rounding rounding) {
    const auto span = axis.input + axis.padBefore + axis.padAfter - axis.effectiveKernel();
    if (span < 0) {
        call.fail("a window of " + std::to_string(axis.effectiveKernel()) + " does not fit an input of " +
                  std::to_string(axis.input) + " with padding " + std::to_string(axis.padBefore) + " and " +
                  std::to_string(axis.padAfter));
    }
    if (rounding == Rounding::floor) {
        return span / axis.stride + 1;
    }
    auto size = ceilDivide(span, axis.stride) + 1;
    if ((size - 1) * axis.stride >= axis.input + axis.padBefore) {
        --size;
    }
    return size;
}

} // namespace

std::pair<std::int64_t, std::int64_t> WindowAxis::validOutputs(std::int64_t tap) const {
    const auto offset = tap * dilation - padBefore;
    const auto first = std::clamp<std::int64_t>(ceilDivide(-offset, stride), 0, output);
    const auto last = std::clamp<std::int64_t>(floorDivide(input - 1 - offset, stride) + 1, first, output);
    return {first, last};
}

std::int64_t Window::inputSize() const {
    std::int64_t size = 1;
    for (const auto& axis : axes) {
        size *= axis.input;
    }
    return size;
}

std::int64_t Window::outputSize() const {
    std::int64_t size = 1;
    for (const auto& axis : axes) {
        size *= axis.output;
    }
    return size;
}

std::int64_t Window::kernelSize() const {
    std::int64_t size = 1;
    for (const auto& axis : axes) {
        size *= axis.kernel;
    }
    return size;
}

bool Window::isPointwise() const {
    return std::ranges::all_of(axes, [](const WindowAxis& axis) {
        return axis.kernel == 1 && axis.stride == 1 && axis.padBefore == 0 && axis.padAfter == 0;
    });
}

std::int64_t spatialRank(const OpCall& call, const Tensor& x) {
    const auto rank = x.rank() - 2;
    if (rank < 1 || rank > static_cast<std::int64_t>(windowAxisCount)) {
        call.fail("x must be [N, C] and 1 to 3 spatial dimensions, not " + describeShape(x.shape()));
    }
    return rank;
}

std::vector<std::int64_t> axisValues(const OpCall& call, std::string_view name, std::int64_t rank,
                                     std::optional<std::int64_t> fallback) {
    const auto values = fallback ? call.intsParameter(name, std::vector<std::int64_t>(static_cast<std::size_t>(rank), *fallback))
                                 : call.intsParameter(name);
    if (static_cast<std::int64_t>(values.size()) != rank) {
        call.fail("\"" + std::string(name) + "\" needs " + std::to_string(rank) + " values, one per spatial axis, not " +
                  std::to_string(values.size()));
    }
    if (std::ranges::any_of(values, [](std::int64_t value) { return value < 1; })) {
        call.fail("every value of \"" + std::string(name) + "\" must be at least 1");
    }
    return values;
}

PadType padType(const OpCall& call) {
    const auto name = call.textParameter("pad_type", "valid");
    if (name == "valid") {
        return PadType::valid;
    }
    if (name == "custom") {
        return PadType::custom;
    }
    if (name == "same") {
        return PadType::same;
    }
    if (name == "same_lower") {
        return PadType::sameLower;
    }
    call.fail("unknown pad_type \"" + name + "\"");
}

std::vector<std::int64_t> customPad(const OpCall& call, std::int64_t rank) {
    const auto pad = call.intsParameter("pad", std::vector<std::int64_t>(static_cast<std::size_t>(2 * rank), 0));
    if (static_cast<std::int64_t>(pad.size()) != 2 * rank) {
        call.fail("\"pad\" needs " + std::to_string(2 * rank) + " values, before and after each spatial axis, not " +
                  std::to_string(pad.size()));
    }
    if (std::ranges::any_of(pad, [](std::int64_t value) { return value < 0; })) {
        call.fail("\"pad\" cannot be negative");
    }
    return pad;
}

Window slidingWindow(const OpCall& call, std::span<const std::int64_t> inputs, std::span<const std::int64_t> kernels,
                     std::span<const std::int64_t> strides, std::span<const std::int64_t> dilations,
                     Rounding rounding) {
    const auto rank = static_cast<std::int64_t>(inputs.size());
    const auto type = padType(call);
    const auto pad = type == PadType::custom ? customPad(call, rank) : std::vector<std::int64_t>{};
    Window window;
    for (std::int64_t i = 0; i < rank; ++i) {
        const auto index = static_cast<std::size_t>(i);
        auto& axis = window.axes[firstAxis(rank) + index];
        axis.input = inputs[index];
        axis.kernel = kernels[index];
        axis.stride = strides[index];
        axis.dilation = dilations[index];
        if (axis.kernel < 1) {
            call.fail("kernel sizes must be at least 1");
        }
        if (type == PadType::custom) {
            axis.padBefore = pad[2 * index];
            axis.padAfter = pad[2 * index + 1];
        } else if (type != PadType::valid) {
            padToSame(axis, type);
        }
        axis.output = outputSize(call, axis, rounding);
    }
    return window;
}

std::vector<std::int64_t> spatialOutputs(const Window& window, std::int64_t rank) {
    std::vector<std::int64_t> sizes;
    for (auto index = firstAxis(rank); index < windowAxisCount; ++index) {
        sizes.push_back(window.axes[index].output);
    }
    return sizes;
}

} // namespace platform::coreml::mil
