#pragma once
// Copies `count` floats between strided places (strides in elements), as the
// single-precision strided BLAS copy does.

#include <cstdint>
#include <cstring>

namespace razeziruzer {

inline void stridedCopy(std::int64_t count, const float* source, std::int64_t sourceStride, float* destination,
                        std::int64_t destinationStride) {
    if (sourceStride == 1 && destinationStride == 1) {
        if (source != destination) std::memmove(destination, source, static_cast<std::size_t>(count) * sizeof(float));
        return;
    }
    for (std::int64_t i = 0; i < count; ++i) destination[i * destinationStride] = source[i * sourceStride];
}

} // namespace razeziruzer
