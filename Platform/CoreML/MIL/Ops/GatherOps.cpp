// Reading elements at given indices. Every index is checked (negative ones
// count from the end) before any element is read.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

constexpr std::int64_t gatherGrain = 1 << 14;

// Indices as positions along an axis of `size`.
std::vector<std::int64_t> positions(const OpCall& call, const Tensor& indices, std::int64_t size) {
    auto values = integerValues(call, indices, "indices");
    for (auto& value : values) {
        value = checkedIndex(call, value, size, "the index");
    }
    return values;
}

void requireSameLeading(const OpCall& call, const Tensor& x, const Tensor& indices, std::size_t count) {
    if (!std::equal(x.shape().begin(), x.shape().begin() + static_cast<std::ptrdiff_t>(count),
                    indices.shape().begin())) {
        call.fail("the first " + std::to_string(count) + " dimensions of x " + describeShape(x.shape()) +
                  " and indices " + describeShape(indices.shape()) + " differ");
    }
}

// Copies `rows` runs of `run` elements: row r of the result comes from run sourceRow(r) of x.
template <class SourceRow>
Tensor gatherRows(const OpCall& call, const Tensor& x, Shape shape, std::int64_t rows, std::int64_t run,
                  const SourceRow& sourceRow) {
    Tensor result(x.dataType(), std::move(shape));
    withElementType(call, x, [&]<class T>(std::type_identity<T>) {
        const auto source = elementsOf<T>(x);
        const auto target = mutableElementsOf<T>(result);
        parallelFor(rows, std::max<std::int64_t>(1, gatherGrain / std::max<std::int64_t>(run, 1)),
                    [&](std::int64_t begin, std::int64_t end) {
                        for (auto r = begin; r < end; ++r) {
                            std::copy_n(source.begin() + sourceRow(r) * run, run, target.begin() + r * run);
                        }
                    });
    });
    return result;
}

// Output D[:axis] + N[batch_dims:] + D[axis+1:]: out[b, p, j, :] = x[b, p, indices[b, j], :].
std::vector<Tensor> gather(const OpCall& call) {
    const auto& x = call.input("x");
    const auto& indices = call.input("indices");
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis", 0), x.rank()));
    auto batchDims = call.intParameter("batch_dims", 0);
    if (batchDims < 0) {
        batchDims += indices.rank();
    }
    if (batchDims < 0 || batchDims > static_cast<std::int64_t>(axis) || batchDims > indices.rank()) {
        call.fail("batch_dims " + std::to_string(call.intParameter("batch_dims", 0)) + " does not fit x " +
                  describeShape(x.shape()) + ", indices " + describeShape(indices.shape()) + " and axis " +
                  std::to_string(axis));
    }
    const auto b = static_cast<std::size_t>(batchDims);
    requireSameLeading(call, x, indices, b);
    const auto& d = x.shape();
    const auto size = d[axis];
    const auto index = positions(call, indices, size);
    Shape shape(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(axis));
    shape.insert(shape.end(), indices.shape().begin() + static_cast<std::ptrdiff_t>(b), indices.shape().end());
    shape.insert(shape.end(), d.begin() + static_cast<std::ptrdiff_t>(axis) + 1, d.end());
    const auto pre = countBetween(d, b, axis);
    const auto perBatch = countBetween(indices.shape(), b, indices.shape().size());
    const auto run = countBetween(d, axis + 1, d.size());
    const auto rows = countBetween(d, 0, b) * pre * perBatch;
    return {gatherRows(call, x, std::move(shape), rows, run, [&](std::int64_t r) {
        const auto j = r % perBatch;
        const auto outer = r / perBatch; // batch · pre + p
        const auto batch = outer / std::max<std::int64_t>(pre, 1);
        return outer * size + index[static_cast<std::size_t>(batch * perBatch + j)];
    })};
}

// Element-wise gather: out[p, j, k] = x[p, indices[p, j, k], k], indices shaped like x except along axis.
std::vector<Tensor> gatherAlongAxis(const OpCall& call) {
    const auto& x = call.input("x");
    const auto& indices = call.input("indices");
    const auto axis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("axis", 0), x.rank()));
    auto expected = x.shape();
    if (indices.rank() == x.rank()) {
        expected[axis] = indices.shape()[axis];
    }
    if (indices.shape() != expected) {
        call.fail("indices " + describeShape(indices.shape()) + " must match x " + describeShape(x.shape()) +
                  " outside axis " + std::to_string(axis));
    }
    const auto size = x.shape()[axis];
    const auto index = positions(call, indices, size);
    const auto inner = countBetween(x.shape(), axis + 1, x.shape().size());
    const auto taken = indices.shape()[axis];
    return {gatherRows(call, x, indices.shape(), indices.count(), 1, [&](std::int64_t i) {
        const auto k = i % inner;
        const auto p = i / inner / std::max<std::int64_t>(taken, 1);
        return (p * size + index[static_cast<std::size_t>(i)]) * inner + k;
    })};
}

// indices [..., K] address the first K dimensions after the batch ones:
// out[b, j, :] = x[b, indices[b, j, 0], ..., indices[b, j, K-1], :].
std::vector<Tensor> gatherNd(const OpCall& call) {
    const auto& x = call.input("x");
    const auto& indices = call.input("indices");
    const auto batchDims = call.intParameter("batch_dims", 0);
    const auto depth = indices.rank() == 0 ? -1 : indices.shape().back();
    if (batchDims < 0 || indices.rank() < batchDims + 1 || depth < 0 || batchDims + depth > x.rank()) {
        call.fail("indices " + describeShape(indices.shape()) + " with batch_dims " + std::to_string(batchDims) +
                  " do not fit x " + describeShape(x.shape()));
    }
    const auto b = static_cast<std::size_t>(batchDims);
    const auto k = static_cast<std::size_t>(depth);
    requireSameLeading(call, x, indices, b);
    const auto& d = x.shape();
    // Strides of the addressed dimensions, counted in runs of the trailing ones.
    std::vector<std::int64_t> rowStrides(k);
    std::int64_t addressed = 1;
    for (auto i = k; i-- > 0;) {
        rowStrides[i] = addressed;
        addressed *= d[b + i];
    }
    const auto raw = integerValues(call, indices, "indices");
    const auto rows = countBetween(indices.shape(), 0, indices.shape().size() - 1);
    const auto perBatch = countBetween(indices.shape(), b, indices.shape().size() - 1);
    std::vector<std::int64_t> sourceRows(static_cast<std::size_t>(rows));
    for (std::size_t t = 0; t < sourceRows.size(); ++t) {
        auto row = static_cast<std::int64_t>(t) / perBatch * addressed;
        for (std::size_t i = 0; i < k; ++i) {
            row += rowStrides[i] * checkedIndex(call, raw[t * k + i], d[b + i], "the index");
        }
        sourceRows[t] = row;
    }
    Shape shape(indices.shape().begin(), indices.shape().end() - 1);
    shape.insert(shape.end(), d.begin() + static_cast<std::ptrdiff_t>(b + k), d.end());
    const auto run = countBetween(d, b + k, d.size());
    return {gatherRows(call, x, std::move(shape), rows, run,
                       [&](std::int64_t r) { return sourceRows[static_cast<std::size_t>(r)]; })};
}

} // namespace

void registerGatherOps(OpRegistry& registry) {
    registry.add("gather", {gather, {"x", "indices"}});
    registry.add("gather_along_axis", {gatherAlongAxis, {"x", "indices"}});
    registry.add("gather_nd", {gatherNd, {"x", "indices"}});
}

} // namespace platform::coreml::mil::shapeops
