#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"
#include "Platform/CoreML/MIL/Ops/ReducedAxes.hpp"
#include "Platform/CoreML/MIL/Ops/ReductionOpGroups.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace platform::coreml::mil {
namespace {

enum class Reduction { sum, mean, max, min, prod, sumSquare, l1Norm, l2Norm, logSum, logSumExp };

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// Maximum and minimum that let NaN win, as a reduction over data with NaN should.
double larger(double a, double b) { return std::isnan(a) || std::isnan(b) ? nan : std::max(a, b); }
double smaller(double a, double b) { return std::isnan(a) || std::isnan(b) ? nan : std::min(a, b); }
double plus(double a, double b) { return a + b; }
double times(double a, double b) { return a * b; }

// Folds map(element, result) into one value per result element with merge,
// in double. A reduction to one value splits the input into fixed chunks whose
// partial results merge in order, so the result does not depend on timing.
template <class T, class Map, class Merge>
std::vector<double> fold(const ReducedAxes& axes, std::span<const T> x, double init, Map map, Merge merge) {
    std::vector<double> results(static_cast<std::size_t>(axes.resultCount()), init);
    const auto count = static_cast<std::int64_t>(x.size());
    if (axes.resultCount() == 1 && count > elementwiseGrain) {
        const auto chunks = (count + elementwiseGrain - 1) / elementwiseGrain;
        std::vector<double> partial(static_cast<std::size_t>(chunks), init);
        parallelFor(chunks, 1, [&](std::int64_t begin, std::int64_t end) {
            for (auto c = begin; c < end; ++c) {
                auto acc = init;
                for (auto i = c * elementwiseGrain; i < std::min(count, (c + 1) * elementwiseGrain); ++i) {
                    acc = merge(acc, map(static_cast<double>(x[static_cast<std::size_t>(i)]), 0));
                }
                partial[static_cast<std::size_t>(c)] = acc;
            }
        });
        for (const auto value : partial) {
            results[0] = merge(results[0], value);
        }
        return results;
    }
    const auto grain = std::max<std::int64_t>(1, elementwiseGrain / std::max<std::int64_t>(1, axes.reducedCount()));
    parallelFor(axes.resultCount(), grain, [&](std::int64_t begin, std::int64_t end) {
        for (auto r = begin; r < end; ++r) {
            auto acc = init;
            axes.forEachLine(r, [&](std::int64_t start, std::int64_t length, std::int64_t step) {
                for (std::int64_t j = 0; j < length; ++j) {
                    acc = merge(acc, map(static_cast<double>(x[static_cast<std::size_t>(start + j * step)]), r));
                }
            });
            results[static_cast<std::size_t>(r)] = acc;
        }
    });
    return results;
}

template <class T>
std::vector<double> reduce(const OpCall& call, Reduction op, const ReducedAxes& axes, std::span<const T> x) {
    const auto identity = [](double v, std::int64_t) { return v; };
    const auto n = static_cast<double>(axes.reducedCount());
    const auto finish = [](std::vector<double> values, auto f) {
        std::ranges::transform(values, values.begin(), f);
        return values;
    };
    if ((op == Reduction::max || op == Reduction::min) && axes.reducedCount() == 0 && axes.resultCount() > 0) {
        call.fail("cannot reduce an empty axis");
    }
    switch (op) {
    case Reduction::sum: return fold(axes, x, 0.0, identity, plus);
    case Reduction::mean: return finish(fold(axes, x, 0.0, identity, plus), [n](double s) { return s / n; });
    case Reduction::max: return fold(axes, x, -infinity, identity, larger);
    case Reduction::min: return fold(axes, x, infinity, identity, smaller);
    case Reduction::prod: return fold(axes, x, 1.0, identity, times);
    case Reduction::sumSquare: return fold(axes, x, 0.0, [](double v, std::int64_t) { return v * v; }, plus);
    case Reduction::l1Norm: return fold(axes, x, 0.0, [](double v, std::int64_t) { return std::fabs(v); }, plus);
    case Reduction::l2Norm:
        return finish(fold(axes, x, 0.0, [](double v, std::int64_t) { return v * v; }, plus), [](double s) { return std::sqrt(s); });
    case Reduction::logSum: return finish(fold(axes, x, 0.0, identity, plus), [](double s) { return std::log(s); });
    case Reduction::logSumExp: {
        // Subtracting each result's maximum keeps every exponential at most 1.
        const auto largest = fold(axes, x, -infinity, identity, larger);
        const auto shifted = [&largest](double v, std::int64_t r) {
            return std::exp(v - largest[static_cast<std::size_t>(r)]);
        };
        auto sums = fold(axes, x, 0.0, shifted, plus);
        for (std::size_t r = 0; r < sums.size(); ++r) {
            sums[r] = std::isfinite(largest[r]) ? largest[r] + std::log(sums[r]) : largest[r];
        }
        return sums;
    }
    }
    return {};
}

// Sums, extremes, products and absolute sums of integers are integers; the
// rest are real numbers unless the program declares an integer result.
DataType resultType(const OpCall& call, Reduction op, const Tensor& x) {
    const bool exact = op == Reduction::sum || op == Reduction::max || op == Reduction::min || op == Reduction::prod ||
                       op == Reduction::sumSquare || op == Reduction::l1Norm;
    const auto natural = x.kind() != StorageKind::float32 && exact ? DataType::int32 : DataType::fp32;
    const auto declared = call.resultDataType(0, natural);
    return isInteger(declared) || isFloat(declared) ? declared : natural;
}

Tensor makeResult(DataType type, Shape shape, const std::vector<double>& values) {
    if (isFloat(type)) {
        Tensor out(DataType::fp32, std::move(shape));
        std::ranges::transform(values, out.mutableFloatValues().begin(), [](double v) { return static_cast<float>(v); });
        return out;
    }
    const auto [low, high] = integerRange(type);
    Tensor out(type, std::move(shape));
    std::ranges::transform(values, out.mutableIntValues().begin(), [low = low, high = high](double v) {
        return std::isnan(v) ? 0 : static_cast<std::int32_t>(std::clamp(std::trunc(v), low, high));
    });
    return out;
}

std::vector<Tensor> reduction(const OpCall& call, Reduction op) {
    const auto& x = numericInput(call, "x");
    std::vector<std::int64_t> all(static_cast<std::size_t>(x.rank()));
    std::iota(all.begin(), all.end(), 0);
    const auto axes = call.intsParameter("axes", all);
    const auto keepDims = call.boolParameter("keep_dims", false);

    std::vector<bool> reduced(static_cast<std::size_t>(x.rank()), false);
    for (const auto axis : axes) {
        const auto d = static_cast<std::size_t>(normaliseAxis(call, axis, x.rank()));
        if (reduced[d]) {
            call.fail("axis " + std::to_string(axis) + " is named twice");
        }
        reduced[d] = true;
    }
    Shape shape;
    for (std::size_t d = 0; d < reduced.size(); ++d) {
        if (!reduced[d]) {
            shape.push_back(x.shape()[d]);
        } else if (keepDims) {
            shape.push_back(1);
        }
    }
    const ReducedAxes layout(x.shape(), reduced);
    const auto values = visitNumbers(x, [&](auto elements) { return reduce(call, op, layout, elements); });
    return {makeResult(resultType(call, op, x), std::move(shape), values)};
}

} // namespace

void registerReductionOps(OpRegistry& registry) {
    const std::pair<const char*, Reduction> reductions[] = {
        {"reduce_sum", Reduction::sum},
        {"reduce_mean", Reduction::mean},
        {"reduce_max", Reduction::max},
        {"reduce_min", Reduction::min},
        {"reduce_prod", Reduction::prod},
        {"reduce_sum_square", Reduction::sumSquare},
        {"reduce_l1_norm", Reduction::l1Norm},
        {"reduce_l2_norm", Reduction::l2Norm},
        {"reduce_log_sum", Reduction::logSum},
        {"reduce_log_sum_exp", Reduction::logSumExp},
    };
    for (const auto& [name, op] : reductions) {
        registry.add(name, {[op = op](const OpCall& call) { return reduction(call, op); }, {"x"}});
    }
    registerRankingOps(registry);
    registerCumsum(registry);
}

} // namespace platform::coreml::mil
