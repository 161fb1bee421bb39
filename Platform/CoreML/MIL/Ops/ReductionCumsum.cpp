#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/AxisLines.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ReductionOpGroups.hpp"

#include <algorithm>

namespace platform::coreml::mil {
namespace {

// Running sums along each line; Acc is double for floats and int64 for
// integers (which wrap to int32 as 32-bit arithmetic does).
template <class Acc, class T, class Out>
void runningSums(const AxisLines& lines, bool exclusive, bool reverse, std::span<const T> in, std::span<Out> out) {
    const auto grain = std::max<std::int64_t>(1, elementwiseGrain / std::max<std::int64_t>(1, lines.size));
    parallelFor(lines.count(), grain, [&](std::int64_t begin, std::int64_t end) {
        for (auto line = begin; line < end; ++line) {
            const auto start = lines.start(line);
            Acc acc = 0;
            for (std::int64_t step = 0; step < lines.size; ++step) {
                const auto j = reverse ? lines.size - 1 - step : step;
                const auto at = static_cast<std::size_t>(start + j * lines.inner);
                const auto value = static_cast<Acc>(in[at]);
                if (!exclusive) {
                    acc += value;
                }
                out[at] = static_cast<Out>(acc);
                if (exclusive) {
                    acc += value;
                }
            }
        }
    });
}

std::vector<Tensor> cumsum(const OpCall& call) {
    const auto& x = numericInput(call, "x");
    const auto axis = normaliseAxis(call, call.intParameter("axis", 0), x.rank());
    const auto exclusive = call.boolParameter("exclusive", false);
    const auto reverse = call.boolParameter("reverse", false);
    const AxisLines lines(x.shape(), axis);
    if (x.kind() == StorageKind::float32) {
        Tensor out(DataType::fp32, x.shape());
        runningSums<double>(lines, exclusive, reverse, x.floatValues(), out.mutableFloatValues());
        return {std::move(out)};
    }
    const auto ints = asInts(x);
    Tensor out(DataType::int32, x.shape());
    runningSums<std::int64_t>(lines, exclusive, reverse, ints.intValues(), out.mutableIntValues());
    return {labelled(call, 0, std::move(out))};
}

} // namespace

void registerCumsum(OpRegistry& registry) { registry.add("cumsum", {cumsum, {"x"}}); }

} // namespace platform::coreml::mil
