// Padding of the last dimensions with a constant, a mirror image or the edge element.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

constexpr std::int64_t padGrain = 1 << 14;
constexpr std::int64_t outside = -1;

enum class PadMode { constant, reflect, replicate };

PadMode padMode(const OpCall& call) {
    const auto name = call.textParameter("mode", "constant");
    if (name == "constant") {
        return PadMode::constant;
    }
    if (name == "reflect") {
        return PadMode::reflect;
    }
    if (name == "replicate") {
        return PadMode::replicate;
    }
    call.fail("unknown mode \"" + name + "\"");
}

// For each output position along one dimension, the input position it copies, or `outside`.
std::vector<std::int64_t> sourcePositions(const OpCall& call, PadMode mode, std::int64_t size, std::int64_t before,
                                          std::int64_t after, std::size_t axis) {
    const bool fits = before >= 0 && after >= 0 &&
                      (mode == PadMode::constant ||
                       (mode == PadMode::reflect ? before < size && after < size : size > 0 || before + after == 0));
    if (!fits) {
        call.fail("padding " + std::to_string(before) + " and " + std::to_string(after) + " does not fit axis " +
                  std::to_string(axis) + " of size " + std::to_string(size) + " in this mode");
    }
    std::vector<std::int64_t> positions(static_cast<std::size_t>(size + before + after));
    for (std::size_t o = 0; o < positions.size(); ++o) {
        const auto i = static_cast<std::int64_t>(o) - before;
        if (i >= 0 && i < size) {
            positions[o] = i;
        } else if (mode == PadMode::constant) {
            positions[o] = outside;
        } else if (mode == PadMode::reflect) {
            positions[o] = i < 0 ? -i : 2 * (size - 1) - i;
        } else {
            positions[o] = std::clamp<std::int64_t>(i, 0, size - 1);
        }
    }
    return positions;
}

// Where output row `row` (all dimensions but the last) starts in x, or `outside`
// when a padded position of an outer dimension leaves the whole row constant.
std::int64_t sourceRow(const std::vector<std::vector<std::int64_t>>& maps, const Shape& input, const Shape& output,
                       std::int64_t row) {
    std::int64_t from = 0;
    auto stride = input.back();
    for (auto d = output.size() - 1; d-- > 0;) {
        const auto position = maps[d][static_cast<std::size_t>(row % output[d])];
        row /= output[d];
        if (position == outside) {
            return outside;
        }
        from += position * stride;
        stride *= input[d];
    }
    return from;
}

std::vector<Tensor> pad(const OpCall& call) {
    const auto& x = call.input("x");
    const auto amounts = integerValues(call, call.input("pad"), "pad");
    const auto padded = static_cast<std::int64_t>(amounts.size() / 2);
    if (amounts.size() % 2 != 0 || padded > x.rank()) {
        call.fail("pad " + describeShape(amounts) + " needs a before and after amount for each padded dimension of " +
                  describeShape(x.shape()));
    }
    const auto mode = padMode(call);
    if (x.rank() == 0) {
        return {denseCopy(x)};
    }
    const auto rank = x.shape().size();
    const auto first = rank - static_cast<std::size_t>(padded);
    std::vector<std::vector<std::int64_t>> maps;
    Shape shape;
    for (std::size_t d = 0; d < rank; ++d) {
        const auto before = d < first ? 0 : amounts[2 * (d - first)];
        const auto after = d < first ? 0 : amounts[2 * (d - first) + 1];
        maps.push_back(sourcePositions(call, mode, x.shape()[d], before, after, d));
        shape.push_back(static_cast<std::int64_t>(maps.back().size()));
    }
    checkedCount(call, shape);
    Tensor result(x.dataType(), shape);
    const auto fillValue = Tensor::scalar(x.dataType(), call.floatParameter("constant_val", 0));
    withElementType(call, x, [&]<class T>(std::type_identity<T>) {
        const auto source = elementsOf<T>(x);
        const auto target = mutableElementsOf<T>(result);
        const auto constant = elementsOf<T>(fillValue)[0];
        const auto width = shape.back();
        const auto rows = width == 0 ? 0 : result.count() / width;
        parallelFor(rows, std::max<std::int64_t>(1, padGrain / std::max<std::int64_t>(width, 1)),
                    [&](std::int64_t begin, std::int64_t end) {
                        for (auto row = begin; row < end; ++row) {
                            const auto from = sourceRow(maps, x.shape(), shape, row);
                            auto* out = target.data() + row * width;
                            for (std::int64_t o = 0; o < width; ++o) {
                                const auto position = maps.back()[static_cast<std::size_t>(o)];
                                out[o] = from == outside || position == outside
                                             ? constant
                                             : source[static_cast<std::size_t>(from + position)];
                            }
                        }
                    });
    });
    return {result};
}

} // namespace

void registerPadOps(OpRegistry& registry) { registry.add("pad", {pad, {"x", "pad"}}); }

} // namespace platform::coreml::mil::shapeops
