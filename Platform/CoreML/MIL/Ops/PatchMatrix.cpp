#include "Platform/CoreML/MIL/Ops/PatchMatrix.hpp"

#include <algorithm>

namespace platform::coreml::mil {
namespace {

struct Tap {
    std::int64_t k0, k1, k2;
};

Tap tapOfRow(const Window& window, std::int64_t row) {
    const auto& axes = window.axes;
    const auto tap = row % window.kernelSize();
    return {tap / (axes[1].kernel * axes[2].kernel), (tap / axes[2].kernel) % axes[1].kernel, tap % axes[2].kernel};
}

bool inside(const WindowAxis& axis, std::int64_t position) { return position >= 0 && position < axis.input; }

void gatherRow(const Window& window, const float* plane, const Tap& tap, float* row) {
    const auto& [a0, a1, a2] = window.axes;
    const auto [first, last] = a2.validOutputs(tap.k2);
    const auto offset = tap.k2 * a2.dilation - a2.padBefore;
    for (std::int64_t o0 = 0; o0 < a0.output; ++o0) {
        const auto i0 = a0.inputAt(o0, tap.k0);
        for (std::int64_t o1 = 0; o1 < a1.output; ++o1) {
            float* target = row + (o0 * a1.output + o1) * a2.output;
            const auto i1 = a1.inputAt(o1, tap.k1);
            if (!inside(a0, i0) || !inside(a1, i1)) {
                std::fill_n(target, a2.output, 0.0f);
                continue;
            }
            const float* source = plane + (i0 * a1.input + i1) * a2.input;
            std::fill(target, target + first, 0.0f);
            if (a2.stride == 1) {
                for (auto o2 = first; o2 < last; ++o2) {
                    target[o2] = source[o2 + offset];
                }
            } else {
                for (auto o2 = first; o2 < last; ++o2) {
                    target[o2] = source[o2 * a2.stride + offset];
                }
            }
            std::fill(target + last, target + a2.output, 0.0f);
        }
    }
}

void scatterRow(const Window& window, const float* row, const Tap& tap, float* plane) {
    const auto& [a0, a1, a2] = window.axes;
    const auto [first, last] = a2.validOutputs(tap.k2);
    const auto offset = tap.k2 * a2.dilation - a2.padBefore;
    for (std::int64_t o0 = 0; o0 < a0.output; ++o0) {
        const auto i0 = a0.inputAt(o0, tap.k0);
        if (!inside(a0, i0)) {
            continue;
        }
        for (std::int64_t o1 = 0; o1 < a1.output; ++o1) {
            const auto i1 = a1.inputAt(o1, tap.k1);
            if (!inside(a1, i1)) {
                continue;
            }
            const float* source = row + (o0 * a1.output + o1) * a2.output;
            float* target = plane + (i0 * a1.input + i1) * a2.input;
            for (auto o2 = first; o2 < last; ++o2) {
                target[o2 * a2.stride + offset] += source[o2];
            }
        }
    }
}

} // namespace

void gatherPatches(const Window& window, const float* input, std::int64_t rowBegin, std::int64_t rowEnd,
                   float* patches) {
    const auto taps = window.kernelSize();
    for (auto row = rowBegin; row < rowEnd; ++row) {
        gatherRow(window, input + (row / taps) * window.inputSize(), tapOfRow(window, row),
                  patches + row * window.outputSize());
    }
}

void scatterPatches(const Window& window, const float* patches, std::int64_t channelBegin, std::int64_t channelEnd,
                    float* output) {
    const auto taps = window.kernelSize();
    for (auto channel = channelBegin; channel < channelEnd; ++channel) {
        for (std::int64_t tap = 0; tap < taps; ++tap) {
            const auto row = channel * taps + tap;
            scatterRow(window, patches + row * window.outputSize(), tapOfRow(window, row),
                       output + channel * window.inputSize());
        }
    }
}

} // namespace platform::coreml::mil
