#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/AxisLines.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ReductionOpGroups.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace platform::coreml::mil {
namespace {

// A total order for ranking (sorting needs one even with NaN): NaN above
// every number, equal values in their original order.
bool ranksBefore(double a, std::int64_t ia, double b, std::int64_t ib, bool ascending) {
    const bool nanA = std::isnan(a);
    const bool nanB = std::isnan(b);
    if (nanA != nanB) {
        return ascending ? nanB : nanA;
    }
    if (!nanA && a != b) {
        return ascending ? a < b : a > b;
    }
    return ia < ib;
}

// Runs body(line) over every line along the axis, in parallel for big tensors.
template <class Body>
void forEachLine(const AxisLines& lines, Body body) {
    const auto grain = std::max<std::int64_t>(1, elementwiseGrain / std::max<std::int64_t>(1, lines.size));
    parallelFor(lines.count(), grain, [&](std::int64_t begin, std::int64_t end) {
        for (auto line = begin; line < end; ++line) {
            body(line);
        }
    });
}

Shape withAxisSize(Shape shape, std::int64_t axis, std::optional<std::int64_t> size) {
    if (size) {
        shape[static_cast<std::size_t>(axis)] = *size;
    } else {
        shape.erase(shape.begin() + axis);
    }
    return shape;
}

// The first position of the largest (smallest) value; the first NaN wins, as it would in a plain scan.
std::vector<Tensor> argExtreme(const OpCall& call, bool largest) {
    const auto& x = numericInput(call, "x");
    const auto axis = normaliseAxis(call, call.intParameter("axis", -1), x.rank());
    const auto keepDims = call.boolParameter("keep_dims", false);
    const AxisLines lines(x.shape(), axis);
    if (lines.size == 0 && lines.count() > 0) {
        call.fail("cannot pick from an empty axis");
    }
    Tensor out(DataType::int32, withAxisSize(x.shape(), axis, keepDims ? std::optional<std::int64_t>(1) : std::nullopt));
    const auto dst = out.mutableIntValues();
    visitNumbers(x, [&](auto values) {
        forEachLine(lines, [&](std::int64_t line) {
            const auto start = lines.start(line);
            const auto at = [&](std::int64_t j) { return static_cast<double>(values[static_cast<std::size_t>(start + j * lines.inner)]); };
            std::int64_t best = 0;
            for (std::int64_t j = 1; j < lines.size && !std::isnan(at(best)); ++j) {
                const auto v = at(j);
                if (std::isnan(v) || (largest ? v > at(best) : v < at(best))) {
                    best = j;
                }
            }
            dst[static_cast<std::size_t>(line)] = static_cast<std::int32_t>(best);
        });
    });
    return {labelled(call, 0, std::move(out))};
}

DataType indexType(const OpCall& call, std::int64_t axisSize) {
    const auto name = call.textParameter("output_indices_dtype", "int32");
    const auto type = dataTypeFromName(name);
    if (!type || !isInteger(*type)) {
        call.fail("indices cannot be of type \"" + name + "\"");
    }
    if (static_cast<double>(axisSize - 1) > integerRange(*type).second) {
        call.fail("indices of type " + name + " cannot count " + std::to_string(axisSize) + " elements");
    }
    return *type;
}

// Sorts the positions of each line (the first `k` of them, or all) and writes
// the chosen values and positions.
template <class T>
void rankLines(const AxisLines& lines, std::int64_t k, bool ascending, std::span<const T> values, std::span<T> chosen,
               std::span<std::int32_t> positions) {
    forEachLine(lines, [&](std::int64_t line) {
        const auto start = lines.start(line);
        const auto at = [&](std::int64_t j) { return static_cast<double>(values[static_cast<std::size_t>(start + j * lines.inner)]); };
        std::vector<std::int64_t> order(static_cast<std::size_t>(lines.size));
        std::iota(order.begin(), order.end(), 0);
        std::partial_sort(order.begin(), order.begin() + k, order.end(), [&](std::int64_t a, std::int64_t b) {
            return ranksBefore(at(a), a, at(b), b, ascending);
        });
        const auto outStart = (line / lines.inner) * k * lines.inner + line % lines.inner;
        for (std::int64_t j = 0; j < k; ++j) {
            const auto o = static_cast<std::size_t>(outStart + j * lines.inner);
            const auto from = order[static_cast<std::size_t>(j)];
            if (!chosen.empty()) {
                chosen[o] = values[static_cast<std::size_t>(start + from * lines.inner)];
            }
            positions[o] = static_cast<std::int32_t>(from);
        }
    });
}

std::vector<Tensor> topk(const OpCall& call) {
    const auto& x = numericInput(call, "x");
    const auto axis = normaliseAxis(call, call.intParameter("axis", -1), x.rank());
    const auto k = call.intParameter("k", 1);
    const auto ascending = call.boolParameter("ascending", false);
    const auto returnIndices = call.boolParameter("return_indices", true);
    const AxisLines lines(x.shape(), axis);
    if (k < 0 || k > lines.size) {
        call.fail("k = " + std::to_string(k) + " is outside an axis of " + std::to_string(lines.size) + " elements");
    }
    const auto shape = withAxisSize(x.shape(), axis, k);
    Tensor values(x.dataType(), shape);
    Tensor indices(indexType(call, lines.size), shape);
    visitNumbers(x, [&](auto elements) {
        using T = typename decltype(elements)::value_type;
        rankLines<std::remove_const_t<T>>(lines, k, ascending, elements, mutableValues<std::remove_const_t<T>>(values),
                                          indices.mutableIntValues());
    });
    // Values are always sorted, which also serves a call that leaves the order open.
    if (!returnIndices && call.results().size() < 2) {
        return {std::move(values)};
    }
    return {std::move(values), std::move(indices)};
}

std::vector<Tensor> argsort(const OpCall& call) {
    const auto& x = numericInput(call, "x");
    const auto axis = normaliseAxis(call, call.intParameter("axis", -1), x.rank());
    const auto ascending = call.boolParameter("ascending", false);
    const AxisLines lines(x.shape(), axis);
    Tensor indices(DataType::int32, x.shape());
    visitNumbers(x, [&](auto elements) {
        using T = std::remove_const_t<typename decltype(elements)::value_type>;
        rankLines<T>(lines, lines.size, ascending, elements, {}, indices.mutableIntValues());
    });
    return {labelled(call, 0, std::move(indices))};
}

} // namespace

void registerRankingOps(OpRegistry& registry) {
    registry.add("reduce_argmax", {[](const OpCall& call) { return argExtreme(call, true); }, {"x"}});
    registry.add("reduce_argmin", {[](const OpCall& call) { return argExtreme(call, false); }, {"x"}});
    registry.add("topk", {topk, {"x"}});
    registry.add("argsort", {argsort, {"x"}});
}

} // namespace platform::coreml::mil
