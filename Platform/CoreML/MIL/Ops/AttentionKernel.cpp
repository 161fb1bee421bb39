// scaled_dot_product_attention: softmax(Q·Kᵀ/√E + mask)·V over the last two
// dimensions, for every index of the leading dimensions (which broadcast).
// A bool mask keeps the scores where it is true; a float mask is added. A row
// whose every score is masked out (−inf) attends to nothing and gives zeros.

#include "Platform/Accel/Blas.hpp"
#include "Platform/CoreML/MIL/Ops/SequenceKernels.hpp"
#include "Platform/CoreML/MIL/Ops/VectorMathArrays.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace platform::coreml::mil {
namespace {

using accel::Transpose;

// Multiply-adds one piece of the parallel loop gets at least.
constexpr std::int64_t pieceWork = std::int64_t{1} << 16;
constexpr std::int64_t minimumRowsPerPiece = 64;
constexpr float minusInfinity = -std::numeric_limits<float>::infinity();

const Tensor& operand(const OpCall& call, std::string_view name) {
    const auto& tensor = call.input(name);
    if (tensor.kind() != StorageKind::float32) {
        call.fail(std::string(name) + " must be a float tensor, not " + std::string(dataTypeName(tensor.dataType())));
    }
    if (tensor.rank() < 3) {
        call.fail(std::string(name) + " must have rank 3 or more, not " + describeShape(tensor.shape()));
    }
    return tensor;
}

Shape leadingOf(const Tensor& tensor) { return {tensor.shape().begin(), tensor.shape().end() - 2}; }

// NumPy broadcast of two shapes aligned at their ends.
std::optional<Shape> broadcast(const Shape& a, const Shape& b) {
    Shape result(std::max(a.size(), b.size()), 1);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto da = i < a.size() ? a[a.size() - 1 - i] : 1, db = i < b.size() ? b[b.size() - 1 - i] : 1;
        if (da != db && da != 1 && db != 1) {
            return std::nullopt;
        }
        result[result.size() - 1 - i] = da == 1 ? db : da;
    }
    return result;
}

// Element strides for reading a row-major `shape` as `target` (0 along a
// broadcast dimension); none when `shape` does not broadcast to `target`.
std::optional<std::vector<std::int64_t>> broadcastStrides(const Shape& shape, const Shape& target) {
    const auto extra = static_cast<std::int64_t>(shape.size()) - static_cast<std::int64_t>(target.size());
    for (std::int64_t i = 0; i < extra; ++i) {
        if (shape[static_cast<std::size_t>(i)] != 1) {
            return std::nullopt;
        }
    }
    std::vector<std::int64_t> strides(target.size(), 0);
    std::int64_t stride = 1;
    for (std::size_t i = 0; i < std::min(shape.size(), target.size()); ++i) {
        const auto size = shape[shape.size() - 1 - i], wanted = target[target.size() - 1 - i];
        if (size != wanted && size != 1) {
            return std::nullopt;
        }
        strides[target.size() - 1 - i] = size == 1 ? 0 : stride;
        stride *= size;
    }
    return strides;
}

// Offset of each leading index (row-major over `leading`) under `strides`.
std::vector<std::int64_t> leadingOffsets(const Shape& leading, const std::vector<std::int64_t>& strides) {
    std::vector<std::int64_t> offsets(static_cast<std::size_t>(elementCount(leading)), 0);
    for (std::size_t n = 0; n < offsets.size(); ++n) {
        auto rest = static_cast<std::int64_t>(n);
        for (auto axis = static_cast<std::int64_t>(leading.size()) - 1; axis >= 0; --axis) {
            const auto size = leading[static_cast<std::size_t>(axis)];
            offsets[n] += (rest % size) * strides[static_cast<std::size_t>(axis)];
            rest /= size;
        }
    }
    return offsets;
}

struct Operand {
    std::span<const float> values;
    std::vector<std::int64_t> offsets; // of each leading index's matrix
};

Operand operandOver(const OpCall& call, const Tensor& tensor, std::string_view name, const Shape& leading) {
    auto target = leading;
    target.push_back(tensor.dim(-2));
    target.push_back(tensor.dim(-1));
    const auto strides = broadcastStrides(tensor.shape(), target);
    if (!strides) {
        call.fail(std::string(name) + " " + describeShape(tensor.shape()) + " does not broadcast to " +
                  describeShape(target));
    }
    return {tensor.floatValues(), leadingOffsets(leading, *strides)};
}

// An attention mask read as [leading..., L, S].
struct Mask {
    const Tensor* tensor = nullptr;
    std::vector<std::int64_t> offsets;
    std::int64_t rowStride = 0;
    std::int64_t columnStride = 0;

    void applyTo(std::span<float> scores, std::int64_t n, std::int64_t firstRow, std::int64_t rows,
                 std::int64_t columns) const;
};

Mask maskOver(const OpCall& call, const Shape& leading, std::int64_t queries, std::int64_t keys) {
    const auto* tensor = call.optionalInput("attn_mask");
    if (tensor == nullptr) {
        return {};
    }
    if (tensor->kind() != StorageKind::boolean && tensor->kind() != StorageKind::float32) {
        call.fail("attn_mask must be bool or float, not " + std::string(dataTypeName(tensor->dataType())));
    }
    auto target = leading;
    target.push_back(queries);
    target.push_back(keys);
    const auto strides = broadcastStrides(tensor->shape(), target);
    if (!strides) {
        call.fail("attn_mask " + describeShape(tensor->shape()) + " does not broadcast to " + describeShape(target));
    }
    return {tensor, leadingOffsets(leading, *strides), strides->at(target.size() - 2), strides->back()};
}

void Mask::applyTo(std::span<float> scores, std::int64_t n, std::int64_t firstRow, std::int64_t rows,
                   std::int64_t columns) const {
    if (tensor == nullptr) {
        return;
    }
    const auto base = offsets[static_cast<std::size_t>(n)];
    const bool keepMask = tensor->kind() == StorageKind::boolean;
    for (std::int64_t r = 0; r < rows; ++r) {
        const auto rowBase = base + (firstRow + r) * rowStride;
        auto row = scores.subspan(static_cast<std::size_t>(r * columns), static_cast<std::size_t>(columns));
        for (std::int64_t s = 0; s < columns; ++s) {
            const auto at = static_cast<std::size_t>(rowBase + s * columnStride);
            if (keepMask) {
                if (tensor->boolValues()[at] == 0) {
                    row[static_cast<std::size_t>(s)] = minusInfinity;
                }
            } else {
                row[static_cast<std::size_t>(s)] += tensor->floatValues()[at];
            }
        }
    }
}

// Stable softmax of one row; a row with nothing to attend to becomes zeros.
void softmaxRow(std::span<float> row) {
    const auto largest = vmath::largestOf(row);
    if (largest == minusInfinity) {
        std::ranges::fill(row, 0.0F);
        return;
    }
    const auto sum = vmath::expShifted(row, row, largest);
    vmath::scale(row, static_cast<float>(1.0 / sum));
}

} // namespace

std::vector<Tensor> scaledDotProductAttentionKernel(const OpCall& call) {
    const auto& query = operand(call, "query");
    const auto& key = operand(call, "key");
    const auto& value = operand(call, "value");
    const auto queries = query.dim(-2), depth = query.dim(-1), keys = key.dim(-2), valueDepth = value.dim(-1);
    if (key.dim(-1) != depth) {
        call.fail("key " + describeShape(key.shape()) + " must end in the query's depth " + std::to_string(depth));
    }
    if (value.dim(-2) != keys) {
        call.fail("value " + describeShape(value.shape()) + " must have as many rows as key " +
                  describeShape(key.shape()));
    }
    auto leading = broadcast(leadingOf(query), leadingOf(key));
    if (leading) {
        leading = broadcast(*leading, leadingOf(value));
    }
    if (!leading) {
        call.fail("the leading dimensions of query " + describeShape(query.shape()) + ", key " +
                  describeShape(key.shape()) + " and value " + describeShape(value.shape()) + " do not broadcast");
    }
    const auto q = operandOver(call, query, "query", *leading);
    const auto k = operandOver(call, key, "key", *leading);
    const auto v = operandOver(call, value, "value", *leading);
    const auto mask = maskOver(call, *leading, queries, keys);

    auto outputShape = *leading;
    outputShape.push_back(queries);
    outputShape.push_back(valueDepth);
    Tensor output(DataType::fp32, outputShape, Tensor::Unfilled{});
    auto out = output.mutableFloatValues();

    const auto scale = depth > 0 ? 1.0F / std::sqrt(static_cast<float>(depth)) : 1.0F;
    const auto rowWork = std::max<std::int64_t>(1, keys * (depth + valueDepth));
    // Enough query rows per piece that each product amortises packing the keys.
    const auto rowsPerPiece = std::clamp<std::int64_t>(pieceWork / rowWork, std::min<std::int64_t>(queries, minimumRowsPerPiece),
                                                       std::max<std::int64_t>(queries, 1));
    const auto piecesPerMatrix = (queries + rowsPerPiece - 1) / rowsPerPiece;
    const auto batch = elementCount(*leading);
    const auto grain = std::max<std::int64_t>(1, pieceWork / (rowsPerPiece * rowWork));
    parallelFor(batch * piecesPerMatrix, grain, [&](std::int64_t begin, std::int64_t end) {
        std::vector<float> scores;
        for (auto piece = begin; piece < end; ++piece) {
            const auto n = piece / piecesPerMatrix, first = (piece % piecesPerMatrix) * rowsPerPiece;
            const auto rows = std::min(rowsPerPiece, queries - first);
            const auto at = static_cast<std::size_t>(n);
            const auto count = [](std::int64_t value) { return static_cast<std::size_t>(value); };
            scores.resize(count(rows * keys)); // overwritten by the product below
            accel::sgemm(Transpose::none, Transpose::transposed, count(rows), count(keys), count(depth), scale,
                         q.values.subspan(count(q.offsets[at] + first * depth), count(rows * depth)),
                         k.values.subspan(count(k.offsets[at]), count(keys * depth)), 0.0F, scores);
            mask.applyTo(scores, n, first, rows, keys);
            for (std::int64_t r = 0; r < rows; ++r) {
                softmaxRow(std::span(scores).subspan(count(r * keys), count(keys)));
            }
            accel::sgemm(Transpose::none, Transpose::none, count(rows), count(valueDepth), count(keys), 1.0F, scores,
                         v.values.subspan(count(v.offsets[at]), count(keys * valueDepth)), 0.0F,
                         out.subspan(count((n * queries + first) * valueDepth), count(rows * valueDepth)));
        }
    });
    return {output};
}

} // namespace platform::coreml::mil
