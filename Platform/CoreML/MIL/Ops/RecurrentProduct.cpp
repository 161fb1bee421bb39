#include "Platform/CoreML/MIL/Ops/RecurrentProduct.hpp"

#include "Platform/Accel/Blas.hpp"
#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <cstdint>

namespace platform::coreml::mil {
namespace {

using accel::Transpose;

// Multiply-adds below which one product stays on the caller, and the least
// each piece of a split product gets.
constexpr std::size_t splitThreshold = std::size_t{1} << 18;
constexpr std::size_t pieceWork = std::size_t{1} << 17;
// Below this many rows a product is split by columns of the result instead.
constexpr std::size_t rowSplitMinimum = 16;

void addRows(std::span<const float> a, std::size_t m, std::size_t k, std::span<const float> b, std::size_t n,
             std::span<float> out) {
    const auto grain = static_cast<std::int64_t>(std::max<std::size_t>(1, pieceWork / (n * k)));
    parallelFor(static_cast<std::int64_t>(m), grain, [&](std::int64_t begin, std::int64_t end) {
        const auto first = static_cast<std::size_t>(begin), count = static_cast<std::size_t>(end - begin);
        accel::sgemm(Transpose::none, Transpose::transposed, count, n, k, 1.0F, a.subspan(first * k, count * k), b,
                     1.0F, out.subspan(first * n, count * n));
    });
}

void addColumns(std::span<const float> a, std::size_t m, std::size_t k, std::span<const float> b, std::size_t n,
                std::span<float> out) {
    const auto grain = static_cast<std::int64_t>(std::max<std::size_t>(1, pieceWork / (m * k)));
    parallelFor(static_cast<std::int64_t>(n), grain, [&](std::int64_t begin, std::int64_t end) {
        const auto first = static_cast<std::size_t>(begin), count = static_cast<std::size_t>(end - begin);
        std::vector<float> piece(m * count);
        accel::sgemm(Transpose::none, Transpose::transposed, m, count, k, 1.0F, a, b.subspan(first * k, count * k),
                     0.0F, piece);
        for (std::size_t row = 0; row < m; ++row) {
            for (std::size_t column = 0; column < count; ++column) {
                out[row * n + first + column] += piece[row * count + column];
            }
        }
    });
}

} // namespace

void addProductTransposed(std::span<const float> a, std::size_t m, std::size_t k, std::span<const float> b,
                          std::size_t n, std::span<float> out) {
    if (m * n * k < splitThreshold) {
        accel::sgemm(Transpose::none, Transpose::transposed, m, n, k, 1.0F, a, b, 1.0F, out);
    } else if (m >= rowSplitMinimum) {
        addRows(a, m, k, b, n, out);
    } else {
        addColumns(a, m, k, b, n, out);
    }
}

void addProductTransposed(std::span<const float> a, std::size_t m, std::size_t k, const RecurrentWeight& b,
                          std::size_t n, std::span<float> out) {
    if (b.packed == nullptr) {
        addProductTransposed(a, m, k, b.values, n, out);
        return;
    }
    std::vector<float> product(m * n);
    ProductOperands operands{a.data(), nullptr, product.data()};
    operands.packedB = {b.packed, 0};
    multiply({static_cast<std::int64_t>(m), static_cast<std::int64_t>(n), static_cast<std::int64_t>(k), Transpose::none,
              Transpose::transposed},
             {&operands, 1});
    for (std::size_t i = 0; i < m * n; ++i) {
        out[i] += product[i];
    }
}

std::vector<float> projectInput(std::span<const float> x, std::size_t rows, std::size_t inputSize,
                                const RecurrentWeight& weight, std::size_t width, std::span<const float> bias) {
    if (weight.packed != nullptr) {
        std::vector<float> projected(rows * width);
        ProductOperands operands{x.data(), nullptr, projected.data(), bias.empty() ? nullptr : bias.data()};
        operands.packedB = {weight.packed, 0};
        multiply({static_cast<std::int64_t>(rows), static_cast<std::int64_t>(width), static_cast<std::int64_t>(inputSize),
                  Transpose::none, Transpose::transposed},
                 {&operands, 1});
        return projected;
    }
    std::vector<float> projected(rows * width, 0.0F);
    if (!bias.empty()) {
        for (std::size_t row = 0; row < rows; ++row) {
            std::ranges::copy(bias, projected.begin() + static_cast<std::ptrdiff_t>(row * width));
        }
    }
    addProductTransposed(x, rows, inputSize, weight.values, width, projected);
    return projected;
}

} // namespace platform::coreml::mil
