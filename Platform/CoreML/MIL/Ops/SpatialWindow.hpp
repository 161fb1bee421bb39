#pragma once
// The sliding-window geometry shared by convolutions and pooling: for each
// spatial axis the input and output sizes, kernel, stride, dilation and
// padding. A window always has three axes; lower spatial ranks fill the
// leading axes with size 1, so one loop nest serves 1-D, 2-D and 3-D.

#include "Platform/CoreML/MIL/OpCall.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::coreml::mil {

struct WindowAxis {
    std::int64_t input = 1;
    std::int64_t output = 1;
    std::int64_t kernel = 1;
    std::int64_t stride = 1;
    std::int64_t dilation = 1;
    std::int64_t padBefore = 0;
    std::int64_t padAfter = 0;

    std::int64_t effectiveKernel() const { return (kernel - 1) * dilation + 1; }
    // The input position kernel tap `tap` reads at output `position`; may lie in the padding.
    std::int64_t inputAt(std::int64_t position, std::int64_t tap) const {
        return position * stride + tap * dilation - padBefore;
    }
    // The output positions [first, second) at which tap `tap` reads inside the input.
    std::pair<std::int64_t, std::int64_t> validOutputs(std::int64_t tap) const;
};

inline constexpr std::size_t windowAxisCount = 3;

struct Window {
    std::array<WindowAxis, windowAxisCount> axes;

    std::int64_t inputSize() const;
    std::int64_t outputSize() const;
    std::int64_t kernelSize() const;
    // Every kernel 1, stride 1 and no padding: each output position is the input position.
    bool isPointwise() const;
};

// The spatial rank of x [N, C, *D]; fails the call unless it is 1 to 3.
std::int64_t spatialRank(const OpCall& call, const Tensor& x);

// A parameter of one positive number per spatial axis (strides, dilations,
// kernel sizes); `fallback` fills every axis when it is absent.
std::vector<std::int64_t> axisValues(const OpCall& call, std::string_view name, std::int64_t rank,
                                     std::optional<std::int64_t> fallback);

enum class PadType { valid, custom, same, sameLower };

// "pad_type" ("valid" when absent).
PadType padType(const OpCall& call);
// "pad" as 2·rank non-negative numbers, before and after for each axis (zeros when absent).
std::vector<std::int64_t> customPad(const OpCall& call, std::int64_t rank);

enum class Rounding { floor, ceil };

// The window of a convolution or pooling over spatial sizes `inputs`, taking
// its padding from the call's "pad_type" and "pad". Output sizes round down,
// or up with Rounding::ceil (a last window that would start in the trailing
// padding is dropped). Fails the call when a window does not fit.
Window slidingWindow(const OpCall& call, std::span<const std::int64_t> inputs, std::span<const std::int64_t> kernels,
                     std::span<const std::int64_t> strides, std::span<const std::int64_t> dilations,
                     Rounding rounding);

// The output sizes of the last `rank` axes: the spatial shape of the result.
std::vector<std::int64_t> spatialOutputs(const Window& window, std::int64_t rank);

} // namespace platform::coreml::mil
