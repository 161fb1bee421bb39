// Masks over positions: the band of a matrix (causal masks) and the positions of non-zero elements.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>

namespace platform::coreml::mil::shapeops {
namespace {

constexpr std::int64_t bandGrain = 1 << 14;

// Keeps (m, n) of the last two dimensions where m - n <= lower and n - m <= upper
// (a negative bound keeps everything on its side); zeroes the rest.
std::vector<Tensor> bandPart(const OpCall& call) {
    const auto& x = call.input("x");
    if (x.rank() < 2) {
        call.fail("x must have at least two dimensions, not " + describeShape(x.shape()));
    }
    const auto lower = call.intParameter("lower", -1);
    const auto upper = call.intParameter("upper", -1);
    const auto rowsPerMatrix = x.dim(-2);
    const auto columns = x.dim(-1);
    Tensor result(x.dataType(), x.shape());
    withElementType(call, x, [&]<class T>(std::type_identity<T>) {
        const auto source = elementsOf<T>(x);
        const auto target = mutableElementsOf<T>(result);
        const auto rows = columns == 0 ? 0 : x.count() / columns;
        parallelFor(rows, std::max<std::int64_t>(1, bandGrain / std::max<std::int64_t>(columns, 1)),
                    [&](std::int64_t begin, std::int64_t end) {
                        for (auto row = begin; row < end; ++row) {
                            const auto m = row % rowsPerMatrix;
                            const auto first = lower < 0 ? 0 : std::clamp<std::int64_t>(m - lower, 0, columns);
                            const auto last = upper < 0 ? columns : std::clamp<std::int64_t>(m + upper + 1, 0, columns);
                            const auto offset = row * columns;
                            if (first < last) {
                                std::copy(source.begin() + offset + first, source.begin() + offset + last,
                                          target.begin() + offset + first);
                            }
                        }
                    });
    });
    return {result};
}

// int32 [N, rank]: the coordinates of each non-zero element, in row-major order.
std::vector<Tensor> nonZero(const OpCall& call) {
    const auto& x = call.input("x");
    const auto flags = withElementType(call, x, [&]<class T>(std::type_identity<T>) {
        std::vector<std::int64_t> found;
        const auto values = elementsOf<T>(x);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i] != T{0}) {
                found.push_back(static_cast<std::int64_t>(i));
            }
        }
        return found;
    });
    const auto declared = call.resultDataType(0, DataType::int32);
    Tensor result(storageKind(declared) == StorageKind::int32 ? declared : DataType::int32,
                  {static_cast<std::int64_t>(flags.size()), x.rank()});
    auto out = result.mutableIntValues();
    const auto rank = x.shape().size();
    for (std::size_t n = 0; n < flags.size(); ++n) {
        auto rest = flags[n];
        for (auto d = rank; d-- > 0;) {
            out[n * rank + d] = static_cast<std::int32_t>(rest % x.shape()[d]);
            rest /= x.shape()[d];
        }
    }
    return {result};
}

} // namespace

void registerMaskOps(OpRegistry& registry) {
    registry.add("band_part", {bandPart, {"x"}});
    registry.add("non_zero", {nonZero, {"x"}});
}

} // namespace platform::coreml::mil::shapeops
