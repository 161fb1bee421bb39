// Pruned weights: the nonzero values in row-major order and a mask of where
// they go; zeros everywhere else.

#include "Platform/CoreML/MIL/Ops/ConstexprKernels.hpp"
#include "Platform/CoreML/MIL/Ops/ConstexprSupport.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil {
namespace {

// The packed form: a uint8 vector whose bits, LSB first, flag the positions of `shape`.
std::vector<std::uint8_t> packedMaskFlags(const OpCall& call, const Tensor& mask, const Shape& shape) {
    const auto bytes = packedBytes(call, mask, "mask");
    const auto count = shapeCount(call, shape);
    if (static_cast<std::int64_t>(bytes.size()) != (count + 7) / 8) {
        call.fail(std::to_string(bytes.size()) + " bytes of \"mask\" do not flag the shape " + describeShape(shape));
    }
    std::vector<std::uint8_t> flags(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < flags.size(); ++i) {
        flags[i] = (bytes[i / 8] >> (i % 8)) & 1u;
    }
    return flags;
}

} // namespace

std::vector<Tensor> sparseToDenseKernel(const OpCall& call) {
    const auto& data = call.input("nonzero_data");
    const auto& mask = call.input("mask");
    const auto shape = call.has("shape") ? shapeParameter(call, "shape") : mask.shape();
    const auto flags = call.has("shape") ? packedMaskFlags(call, mask, shape) : maskFlags(mask);
    const auto set = std::ranges::count(flags, 1);
    if (data.count() != set) {
        call.fail("\"nonzero_data\" has " + std::to_string(data.count()) + " values for the " + std::to_string(set) +
                  " set bits of \"mask\"");
    }
    Tensor result(resultTypeLike(call, 0, data.dataType()), shape);
    visitStorage(call, data, result, [&](auto values, auto out) {
        std::size_t next = 0;
        for (std::size_t i = 0; i < flags.size(); ++i) {
            if (flags[i] != 0) {
                out[i] = values[next++];
            }
        }
    });
    return {result};
}

} // namespace platform::coreml::mil
