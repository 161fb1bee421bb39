#pragma once
// The patch matrix of a windowed operation ("im2col") and its adjoint. Row
// (c, k0, k1, k2) holds, for every output position of the window, the input
// element that kernel tap (k0, k1, k2) of channel c reads there (zero in the
// padding), so a convolution becomes one matrix product.

#include "Platform/CoreML/MIL/Ops/SpatialWindow.hpp"

#include <cstdint>

namespace platform::coreml::mil {

// Fills rows [rowBegin, rowEnd) of the patch matrix of `input` (channel
// planes of the window's input size, one after another).
void gatherPatches(const Window& window, const float* input, std::int64_t rowBegin, std::int64_t rowEnd,
                   float* patches);

// Adds the rows of channels [channelBegin, channelEnd) of a patch matrix into
// the input positions they were read from: the adjoint of gatherPatches, as a
// transposed convolution needs it. `output` holds channel planes of the
// window's input size.
void scatterPatches(const Window& window, const float* patches, std::int64_t channelBegin, std::int64_t channelEnd,
                    float* output);

} // namespace platform::coreml::mil
