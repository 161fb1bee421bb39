#pragma once
// Applies a whole-array function (f(in, out), as the vector math functions
// take) to the elements of a numeric tensor in float, in ranges spread over the
// thread pool, so that each call gets a long run of elements to vectorise.

#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"

#include <cstddef>
#include <span>

namespace platform::coreml::mil {

template <class F>
Tensor mapArray(const Tensor& x, F f) {
    const auto in = asFloats(x);
    Tensor out(DataType::fp32, in.shape(), Tensor::Unfilled{});
    const auto source = in.floatValues();
    const auto target = out.mutableFloatValues();
    parallelFor(in.count(), elementwiseGrain, [&](std::int64_t begin, std::int64_t end) {
        const auto offset = static_cast<std::size_t>(begin);
        const auto count = static_cast<std::size_t>(end - begin);
        f(source.subspan(offset, count), target.subspan(offset, count));
    });
    return out;
}

} // namespace platform::coreml::mil
