// linear, matmul and einsum: matrix products over the last two dimensions.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/FusedEpilogue.hpp"
#include "Platform/CoreML/MIL/Ops/LinearArguments.hpp"
#include "Platform/CoreML/MIL/Ops/LinearFamily.hpp"
#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <vector>

namespace platform::coreml::mil {
namespace {

using accel::Transpose;

std::size_t index(std::int64_t value) { return static_cast<std::size_t>(value); }

const float* optionalData(std::span<const float> values) { return values.empty() ? nullptr : values.data(); }

std::vector<Tensor> linear(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    const auto& weight = floatTensor(call, "weight");
    if (x.rank() < 1) {
        call.fail("x must have at least one dimension");
    }
    if (weight.rank() != 2) {
        call.fail("weight must be [D_out, D_in], not " + describeShape(weight.shape()));
    }
    const auto outer = weight.dim(0);
    const auto inner = weight.dim(1);
    if (x.dim(-1) != inner) {
        call.fail("x " + describeShape(x.shape()) + " does not end in the " + std::to_string(inner) +
                  " inputs of weight " + describeShape(weight.shape()));
    }
    const auto bias = optionalVector(call, "bias", outer);
    Shape shape = x.shape();
    shape.back() = outer;
    Tensor result(DataType::fp32, shape, Tensor::Unfilled{});
    const ProductShape product{elementCount(Shape(x.shape().begin(), x.shape().end() - 1)), outer, inner,
                               Transpose::none, Transpose::transposed};
    ProductOperands operands{x.floatValues().data(), nullptr, result.mutableFloatValues().data(), optionalData(bias)};
    if (const auto* packed = weight.packedMatrix()) {
        operands.packedB = {packed, 0};
    } else {
        operands.b = weight.floatValues().data();
    }
    operands.epilogue = fusedEpilogue(call, result);
    multiply(product, {&operands, 1});
    return {result};
}

// Batch dimensions of x and y broadcast together, and where each batch's
// matrices start.
struct BatchLayout {
    Shape shape;
    std::vector<std::int64_t> xOffsets;
    std::vector<std::int64_t> yOffsets;
};

// Element strides of `batch` aligned to the right of a broadcast shape of
// rank `rank`; zero along broadcast (size-1 or missing) dimensions.
std::vector<std::int64_t> broadcastStrides(const Shape& batch, std::size_t rank, std::int64_t matrixSize) {
    std::vector<std::int64_t> strides(rank, 0);
    auto stride = matrixSize;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const auto dimension = batch[batch.size() - 1 - i];
        strides[rank - 1 - i] = dimension == 1 ? 0 : stride;
        stride *= dimension;
    }
    return strides;
}

BatchLayout broadcastBatches(const OpCall& call, const Shape& xBatch, const Shape& yBatch, std::int64_t xMatrix,
                             std::int64_t yMatrix) {
    const auto rank = std::max(xBatch.size(), yBatch.size());
    BatchLayout layout;
    layout.shape.assign(rank, 1);
    for (std::size_t i = 0; i < rank; ++i) {
        const auto xSize = i < xBatch.size() ? xBatch[xBatch.size() - 1 - i] : 1;
        const auto ySize = i < yBatch.size() ? yBatch[yBatch.size() - 1 - i] : 1;
        if (xSize != ySize && xSize != 1 && ySize != 1) {
            call.fail("the batch dimensions " + describeShape(xBatch) + " and " + describeShape(yBatch) +
                      " do not broadcast");
        }
        layout.shape[rank - 1 - i] = xSize == 1 ? ySize : xSize;
    }
    const auto xStrides = broadcastStrides(xBatch, rank, xMatrix);
    const auto yStrides = broadcastStrides(yBatch, rank, yMatrix);
    const auto count = elementCount(layout.shape);
    for (std::int64_t batch = 0; batch < count; ++batch) {
        std::int64_t xOffset = 0;
        std::int64_t yOffset = 0;
        auto rest = batch;
        for (std::size_t i = rank; i-- > 0;) {
            const auto coordinate = rest % layout.shape[i];
            rest /= layout.shape[i];
            xOffset += coordinate * xStrides[i];
            yOffset += coordinate * yStrides[i];
        }
        layout.xOffsets.push_back(xOffset);
        layout.yOffsets.push_back(yOffset);
    }
    return layout;
}

std::vector<Tensor> matmul(const OpCall& call) {
    const auto& x = floatTensor(call, "x");
    const auto& y = floatTensor(call, "y");
    if (x.rank() < 1 || y.rank() < 1) {
        call.fail("x and y must have at least one dimension each");
    }
    auto xShape = x.shape();
    auto yShape = y.shape();
    // A vector x is a row, a vector y a column; both drop out of the result.
    const bool xVector = xShape.size() == 1;
    const bool yVector = yShape.size() == 1;
    const bool transposeX = !xVector && call.boolParameter("transpose_x", false);
    const bool transposeY = !yVector && call.boolParameter("transpose_y", false);
    if (xVector) {
        xShape.insert(xShape.begin(), 1);
    }
    if (yVector) {
        yShape.push_back(1);
    }
    const auto xr = xShape.size();
    const auto yr = yShape.size();
    const auto m = transposeX ? xShape[xr - 1] : xShape[xr - 2];
    const auto k = transposeX ? xShape[xr - 2] : xShape[xr - 1];
    const auto n = transposeY ? yShape[yr - 2] : yShape[yr - 1];
    if ((transposeY ? yShape[yr - 1] : yShape[yr - 2]) != k) {
        call.fail("the shapes " + describeShape(x.shape()) + " and " + describeShape(y.shape()) +
                  " cannot be multiplied");
    }
    const Shape xBatch(xShape.begin(), xShape.end() - 2);
    const Shape yBatch(yShape.begin(), yShape.end() - 2);
    const auto layout = broadcastBatches(call, xBatch, yBatch, m * k, k * n);
    Shape shape = layout.shape;
    if (!xVector) {
        shape.push_back(m);
    }
    if (!yVector) {
        shape.push_back(n);
    }
    Tensor result(DataType::fp32, shape, Tensor::Unfilled{});
    const float* xData = x.floatValues().data();
    const float* yData = y.floatValues().data();
    float* out = result.mutableFloatValues().data();
    const auto batches = elementCount(layout.shape);
    const auto transX = transposeX ? Transpose::transposed : Transpose::none;
    const auto transY = transposeY ? Transpose::transposed : Transpose::none;
    if (elementCount(yBatch) == 1 && !transposeX) {
        // One y for every batch: the batches of x stack into one tall matrix.
        const ProductOperands operands{xData, yData, out};
        multiply({batches * m, n, k, transX, transY}, {&operands, 1});
        return {result};
    }
    std::vector<ProductOperands> products;
    products.reserve(index(batches));
    for (std::int64_t batch = 0; batch < batches; ++batch) {
        products.push_back({xData + layout.xOffsets[index(batch)], yData + layout.yOffsets[index(batch)],
                            out + batch * m * n});
    }
    multiply({m, n, k, transX, transY}, products);
    return {result};
}

// The two einsum patterns are one product per (p, r): with a [P, Q, R, S] and
// b [P, S, R, T], out[p, :, r, :] = a[p, :, r, :] · b[p, :, r, :]. The rank-3
// pattern is the same with P = 1.
struct EinsumPattern {
    bool hasBatch = false;
};

EinsumPattern parseEquation(const OpCall& call, const std::string& written) {
    std::string equation;
    std::ranges::copy_if(written, std::back_inserter(equation), [](char c) { return c != ' '; });
    const auto unsupported = [&] {
        call.fail("only the equations \"nchw,nwhu->nchu\" and \"chw,whr->chr\" (in any letters) are supported, not \"" +
                  written + "\"");
    };
    const auto arrow = equation.find("->");
    const auto comma = equation.find(',');
    if (arrow == std::string::npos || comma == std::string::npos || comma > arrow) {
        unsupported();
    }
    const auto a = equation.substr(0, comma);
    const auto b = equation.substr(comma + 1, arrow - comma - 1);
    const auto out = equation.substr(arrow + 2);
    if (a.size() != b.size() || a.size() != out.size() || (a.size() != 3 && a.size() != 4)) {
        unsupported();
    }
    // Align the rank-3 form to the rank-4 one by a batch letter both share.
    const bool hasBatch = a.size() == 4;
    const auto a4 = hasBatch ? a : "\x01" + a;
    const auto b4 = hasBatch ? b : "\x01" + b;
    const auto out4 = hasBatch ? out : "\x01" + out;
    const auto distinct = [](std::string letters) {
        std::ranges::sort(letters);
        return std::ranges::adjacent_find(letters) == letters.end();
    };
    const std::string expected{a4[0], a4[1], a4[2], b4[3]};
    if (!distinct(a4 + b4[3]) || b4[0] != a4[0] || b4[1] != a4[3] || b4[2] != a4[2] || out4 != expected) {
        unsupported();
    }
    return {hasBatch};
}

Shape asRankFour(const Tensor& tensor, bool hasBatch) {
    Shape shape = tensor.shape();
    if (!hasBatch) {
        shape.insert(shape.begin(), 1);
    }
    return shape;
}

// Copies a [D0, D1, D2, D3] tensor to `swapped` as [D0, D2, D1, D3].
void swapMiddle(std::span<const float> values, const Shape& shape, std::span<float> swapped) {
    const auto [d0, d1, d2, d3] = std::array{shape[0], shape[1], shape[2], shape[3]};
    for (std::int64_t i0 = 0; i0 < d0; ++i0) {
        for (std::int64_t i1 = 0; i1 < d1; ++i1) {
            for (std::int64_t i2 = 0; i2 < d2; ++i2) {
                std::copy_n(values.begin() + ((i0 * d1 + i1) * d2 + i2) * d3, d3,
                            swapped.begin() + ((i0 * d2 + i2) * d1 + i1) * d3);
            }
        }
    }
}

std::vector<float> swappedMiddle(std::span<const float> values, const Shape& shape) {
    std::vector<float> swapped(values.size());
    swapMiddle(values, shape, swapped);
    return swapped;
}

std::vector<Tensor> einsum(const OpCall& call) {
    const auto values = call.inputs("values");
    if (values.size() != 2) {
        call.fail("\"values\" must hold two tensors, not " + std::to_string(values.size()));
    }
    const auto pattern = parseEquation(call, call.textParameter("equation"));
    const auto expectedRank = pattern.hasBatch ? 4 : 3;
    for (const auto* value : values) {
        if (value->kind() != StorageKind::float32) {
            call.fail("\"values\" must hold floats");
        }
        if (value->rank() != expectedRank) {
            call.fail("the equation needs operands of rank " + std::to_string(expectedRank) + ", not " +
                      describeShape(value->shape()));
        }
    }
    const auto aShape = asRankFour(*values[0], pattern.hasBatch);
    const auto bShape = asRankFour(*values[1], pattern.hasBatch);
    if (bShape[0] != aShape[0] || bShape[1] != aShape[3] || bShape[2] != aShape[2]) {
        call.fail("the shapes " + describeShape(values[0]->shape()) + " and " + describeShape(values[1]->shape()) +
                  " do not fit the equation");
    }
    const auto [p, q, r, s] = std::array{aShape[0], aShape[1], aShape[2], aShape[3]};
    const auto t = bShape[3];
    // Bring r next to p so that every (p, r) product has contiguous operands.
    const auto a = swappedMiddle(values[0]->floatValues(), aShape);
    const auto b = swappedMiddle(values[1]->floatValues(), bShape);
    std::vector<float> products(index(p * r * q * t));
    std::vector<ProductOperands> operands;
    for (std::int64_t batch = 0; batch < p * r; ++batch) {
        operands.push_back({a.data() + batch * q * s, b.data() + batch * s * t, products.data() + batch * q * t});
    }
    multiply({q, t, s, Transpose::none, Transpose::none}, operands);
    Tensor result(DataType::fp32, pattern.hasBatch ? Shape{p, q, r, t} : Shape{q, r, t}, Tensor::Unfilled{});
    swapMiddle(products, {p, r, q, t}, result.mutableFloatValues());
    return {result};
}

} // namespace

void registerMatrixKernels(OpRegistry& registry) {
    registry.add("linear", {linear, {"x", "weight"}});
    registry.add("matmul", {matmul, {"x", "y"}});
    registry.add("einsum", {einsum, {"values", "equation"}});
}

} // namespace platform::coreml::mil
