#pragma once
// Products C = op(A)·op(B) of dense row-major float matrices, spread over the
// shared thread pool: many products run side by side, and a large one is cut
// into tiles of C that each run single-threaded through OpenBLAS. Operands are
// used where they lie; a tile copies only the slices the BLAS interface cannot
// address in place.

#include "Platform/Accel/Blas.hpp"
#include "Platform/CoreML/MIL/PackedMatrix.hpp"

#include <cstdint>
#include <span>

namespace platform::coreml::mil {

// What every product of one call shares: op(A) is m x k, op(B) is k x n, C is
// m x n. A transposed A is stored k x m; a transposed B is stored n x k.
struct ProductShape {
    std::int64_t m = 0;
    std::int64_t n = 0;
    std::int64_t k = 0;
    accel::Transpose transA = accel::Transpose::none;
    accel::Transpose transB = accel::Transpose::none;
};

// Rows [firstRow, firstRow + rows) of a packed matrix standing for an operand.
struct PackedOperand {
    const PackedMatrix* matrix = nullptr;
    std::int64_t firstRow = 0;
};

// Work done on each tile of C while it is in cache, after the biases: an
// activation over each row, then a residual (m x n, laid out like C) added.
struct ProductEpilogue {
    void (*activation)(std::span<const float> in, std::span<float> out) = nullptr;
    const float* residual = nullptr;
};

// One product's matrices. C is overwritten; then `columnBias` (n values, when
// given) is added to every row and `rowBias` (m values, when given) to every column.
// A packed A (untransposed) or B (transposed) stands in for `a` or `b`: each
// tile widens only the rows it multiplies.
struct ProductOperands {
    const float* a = nullptr;
    const float* b = nullptr;
    float* c = nullptr;
    const float* columnBias = nullptr;
    const float* rowBias = nullptr;
    PackedOperand packedA = {};
    PackedOperand packedB = {};
    ProductEpilogue epilogue = {};
};

// Computes every product, in parallel when the work is worth it.
void multiply(const ProductShape& shape, std::span<const ProductOperands> products);

// Computes one product on the calling thread alone, for callers that already
// run in parallel.
void multiplyOnCaller(const ProductShape& shape, const ProductOperands& product);

} // namespace platform::coreml::mil
