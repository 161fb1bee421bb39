// Writing updates at given indices into a copy of `data`, combined by mode.
// Every index is checked before anything is written; repeated indices apply
// in order.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <utility>

namespace platform::coreml::mil::shapeops {
namespace {

constexpr std::int64_t scatterGrain = 1 << 14;
constexpr auto defaultMode = "add";

enum class ScatterMode { update, add, sub, mul, div, max, min };

ScatterMode scatterMode(const OpCall& call, const Tensor& data) {
    static constexpr std::array<std::pair<std::string_view, ScatterMode>, 7> modes{{
        {"update", ScatterMode::update},
        {"add", ScatterMode::add},
        {"sub", ScatterMode::sub},
        {"mul", ScatterMode::mul},
        {"div", ScatterMode::div},
        {"max", ScatterMode::max},
        {"min", ScatterMode::min},
    }};
    const auto name = call.textParameter("mode", defaultMode);
    const auto found = std::ranges::find(modes, name, &std::pair<std::string_view, ScatterMode>::first);
    if (found == modes.end()) {
        call.fail("unknown mode \"" + name + "\"");
    }
    const bool keepsTruthValues =
        found->second == ScatterMode::update || found->second == ScatterMode::max || found->second == ScatterMode::min;
    if (data.kind() == StorageKind::boolean && !keepsTruthValues) {
        call.fail("the mode \"" + name + "\" does not apply to bool data");
    }
    return found->second;
}

template <class T> T combined(const OpCall& call, ScatterMode mode, T current, T update) {
    switch (mode) {
    case ScatterMode::update: return update;
    case ScatterMode::max: return std::max(current, update);
    case ScatterMode::min: return std::min(current, update);
    default: break;
    }
    if constexpr (std::is_same_v<T, std::int32_t>) {
        // Integer arithmetic wraps around rather than overflowing.
        const auto a = static_cast<std::uint32_t>(current);
        const auto b = static_cast<std::uint32_t>(update);
        switch (mode) {
        case ScatterMode::add: return static_cast<std::int32_t>(a + b);
        case ScatterMode::sub: return static_cast<std::int32_t>(a - b);
        case ScatterMode::mul: return static_cast<std::int32_t>(a * b);
        case ScatterMode::div:
            if (update == 0) {
                call.fail("an integer update divides by zero");
            }
            return update == -1 ? static_cast<std::int32_t>(0u - a) : current / update;
        default: break;
        }
    } else {
        switch (mode) {
        case ScatterMode::add: return current + update;
        case ScatterMode::sub: return current - update;
        case ScatterMode::mul: return current * update;
        case ScatterMode::div: return current / update;
        default: break;
        }
    }
    return update;
}

// The fresh result and the checks shared by the three operations.
struct ScatterSetup {
    const Tensor& data;
    const Tensor& updates;
    ScatterMode mode;
    Tensor result;
};

ScatterSetup setUp(const OpCall& call) {
    const auto& data = call.input("data");
    const auto& updates = call.input("updates");
    if (updates.kind() != data.kind()) {
        call.fail("cannot scatter " + std::string(dataTypeName(updates.dataType())) + " updates into " +
                  std::string(dataTypeName(data.dataType())) + " data");
    }
    return {data, updates, scatterMode(call, data), denseCopy(data)};
}

void requireUpdatesShape(const OpCall& call, const Tensor& updates, const Shape& expected) {
    if (updates.shape() != expected) {
        call.fail("updates " + describeShape(updates.shape()) + " must have the shape " + describeShape(expected));
    }
}

// Applies run-long updates: update row u lands on result row targetRow(u). Rows
// are grouped so that groups never share a target row and run in parallel.
template <class TargetRow>
void applyRows(const OpCall& call, ScatterSetup& setup, std::int64_t groups, std::int64_t rowsPerGroup,
               std::int64_t run, const TargetRow& targetRow) {
    withElementType(call, setup.data, [&]<class T>(std::type_identity<T>) {
        const auto source = elementsOf<T>(setup.updates);
        const auto target = mutableElementsOf<T>(setup.result);
        const auto work = std::max<std::int64_t>(1, rowsPerGroup * run);
        parallelFor(groups, std::max<std::int64_t>(1, scatterGrain / work), [&](std::int64_t begin, std::int64_t end) {
            for (auto u = begin * rowsPerGroup; u < end * rowsPerGroup; ++u) {
                const auto to = targetRow(u) * run;
                for (std::int64_t i = 0; i < run; ++i) {
                    auto& element = target[static_cast<std::size_t>(to + i)];
                    element = combined(call, setup.mode, element, source[static_cast<std::size_t>(u * run + i)]);
                }
            }
        });
    });
}

// updates D[:axis] + N + D[axis+1:]: result[p, indices[j], :] ∘= updates[p, j, :].
std::vector<Tensor> scatter(const OpCall& call) {
    auto setup = setUp(call);
    const auto& d = setup.data.shape();
    const auto& indices = call.input("indices");
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis", 0), setup.data.rank()));
    Shape expected(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(axis));
    expected.insert(expected.end(), indices.shape().begin(), indices.shape().end());
    expected.insert(expected.end(), d.begin() + static_cast<std::ptrdiff_t>(axis) + 1, d.end());
    requireUpdatesShape(call, setup.updates, expected);
    auto index = integerValues(call, indices, "indices");
    for (auto& value : index) {
        value = checkedIndex(call, value, d[axis], "the index");
    }
    const auto perGroup = static_cast<std::int64_t>(index.size());
    applyRows(call, setup, countBetween(d, 0, axis), perGroup, countBetween(d, axis + 1, d.size()),
              [&](std::int64_t u) { return u / perGroup * d[axis] + index[static_cast<std::size_t>(u % perGroup)]; });
    return {std::move(setup.result)};
}

// Element-wise scatter: result[p, indices[p, j, k], k] ∘= updates[p, j, k].
std::vector<Tensor> scatterAlongAxis(const OpCall& call) {
    auto setup = setUp(call);
    const auto& d = setup.data.shape();
    const auto& indices = call.input("indices");
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis", 0), setup.data.rank()));
    auto expected = d;
    if (indices.rank() == setup.data.rank()) {
        expected[axis] = indices.shape()[axis];
    }
    if (indices.shape() != expected) {
        call.fail("indices " + describeShape(indices.shape()) + " must match data " + describeShape(d) +
                  " outside axis " + std::to_string(axis));
    }
    requireUpdatesShape(call, setup.updates, indices.shape());
    auto index = integerValues(call, indices, "indices");
    for (auto& value : index) {
        value = checkedIndex(call, value, d[axis], "the index");
    }
    const auto inner = countBetween(d, axis + 1, d.size());
    const auto taken = indices.shape()[axis];
    applyRows(call, setup, countBetween(d, 0, axis), taken * inner, 1, [&](std::int64_t u) {
        const auto k = u % inner;
        const auto p = u / inner / taken;
        return (p * d[axis] + index[static_cast<std::size_t>(u)]) * inner + k;
    });
    return {std::move(setup.result)};
}

// indices [..., K]: result[indices[j, 0], ..., indices[j, K-1], :] ∘= updates[j, :].
std::vector<Tensor> scatterNd(const OpCall& call) {
    auto setup = setUp(call);
    const auto& d = setup.data.shape();
    const auto& indices = call.input("indices");
    const auto depth = indices.rank() == 0 ? -1 : indices.shape().back();
    if (depth < 0 || depth > setup.data.rank()) {
        call.fail("indices " + describeShape(indices.shape()) + " do not address data " + describeShape(d));
    }
    const auto k = static_cast<std::size_t>(depth);
    Shape expected(indices.shape().begin(), indices.shape().end() - 1);
    expected.insert(expected.end(), d.begin() + static_cast<std::ptrdiff_t>(k), d.end());
    requireUpdatesShape(call, setup.updates, expected);
    const auto raw = integerValues(call, indices, "indices");
    const auto tuples = countBetween(indices.shape(), 0, indices.shape().size() - 1);
    std::vector<std::int64_t> rows(static_cast<std::size_t>(tuples));
    for (std::size_t t = 0; t < rows.size(); ++t) {
        std::int64_t row = 0;
        for (std::size_t i = 0; i < k; ++i) {
            row = row * d[i] + checkedIndex(call, raw[t * k + i], d[i], "the index");
        }
        rows[t] = row;
    }
    applyRows(call, setup, 1, static_cast<std::int64_t>(rows.size()), countBetween(d, k, d.size()),
              [&](std::int64_t u) { return rows[static_cast<std::size_t>(u)]; });
    return {std::move(setup.result)};
}

} // namespace

void registerScatterOps(OpRegistry& registry) {
    registry.add("scatter", {scatter, {"data", "indices", "updates"}});
    registry.add("scatter_along_axis", {scatterAlongAxis, {"data", "indices", "updates"}});
    registry.add("scatter_nd", {scatterNd, {"data", "indices", "updates"}});
}

} // namespace platform::coreml::mil::shapeops
