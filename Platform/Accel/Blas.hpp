#pragma once
// Thin row-major wrappers over the CBLAS routines the system uses. Matrices
// are dense: a rows x columns matrix is rows * columns values, row after row,
// and every buffer must have exactly the size its dimensions give (checked;
// a mismatch throws std::invalid_argument). Dimensions must fit in an int.
//
// OpenBLAS is switched to one thread on first use: callers run their own
// work in parallel, and OpenBLAS's own threads would only compete with them.

#include <cstddef>
#include <span>

namespace platform::accel {

enum class Transpose { none, transposed };

// C (m x n) = alpha * op(A) * op(B) + beta * C, where op(A) is m x k and
// op(B) is k x n. A is stored m x k, or k x m when transposed; B is stored
// k x n, or n x k when transposed. With beta 0, C's old contents are ignored
// (even NaN).
void sgemm(Transpose transA, Transpose transB, std::size_t m, std::size_t n, std::size_t k, float alpha,
           std::span<const float> a, std::span<const float> b, float beta, std::span<float> c);
void dgemm(Transpose transA, Transpose transB, std::size_t m, std::size_t n, std::size_t k, double alpha,
           std::span<const double> a, std::span<const double> b, double beta, std::span<double> c);

// y = alpha * op(A) * x + beta * y for A stored rows x columns. Untransposed,
// x has `columns` values and y `rows`; transposed, the other way round.
void sgemv(Transpose trans, std::size_t rows, std::size_t columns, float alpha, std::span<const float> a,
           std::span<const float> x, float beta, std::span<float> y);
void dgemv(Transpose trans, std::size_t rows, std::size_t columns, double alpha, std::span<const double> a,
           std::span<const double> x, double beta, std::span<double> y);

// y += alpha * x; x and y have the same length.
void saxpy(float alpha, std::span<const float> x, std::span<float> y);
void daxpy(double alpha, std::span<const double> x, std::span<double> y);

// y = x; same length.
void scopy(std::span<const float> x, std::span<float> y);

// Sum of x[i] * y[i]; same length.
float sdot(std::span<const float> x, std::span<const float> y);
double ddot(std::span<const double> x, std::span<const double> y);

} // namespace platform::accel
