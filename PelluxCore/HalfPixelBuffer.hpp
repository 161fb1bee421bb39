#pragma once
// A one-component half-precision image: width × height float16 values in
// aligned row-major storage, on which half-precision model arrays are laid.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>

namespace pelluxcore {

struct HalfPixelBuffer {
    std::int64_t width = 0;
    std::int64_t height = 0;
    platform::coreml::MLMultiArray pixels; // float16, shape [height, width]
};

} // namespace pelluxcore
