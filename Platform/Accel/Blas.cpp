#include "Platform/Accel/Blas.hpp"

#include <cblas.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace platform::accel {

namespace {

void useOneBlasThread() {
    static std::once_flag once;
    std::call_once(once, [] { openblas_set_num_threads(1); });
}

blasint dimension(std::size_t value, const char* routine) {
    if (value > INT_MAX) throw std::invalid_argument(std::string(routine) + ": dimension too large");
    return static_cast<blasint>(value);
}

void requireSize(std::size_t actual, std::size_t expected, const char* routine, const char* what) {
    if (actual != expected)
        throw std::invalid_argument(std::string(routine) + ": " + what + " holds " + std::to_string(actual) +
                                    " values, expected " + std::to_string(expected));
}

CBLAS_TRANSPOSE cblasTranspose(Transpose trans) {
    return trans == Transpose::none ? CblasNoTrans : CblasTrans;
}

// The result when the inner dimension is empty: alpha * (nothing) + beta * C.
template <typename T>
void scaleOnly(T beta, std::span<T> c) {
    if (beta == T(0))
        std::fill(c.begin(), c.end(), T(0));
    else
        for (auto& value : c) value *= beta;
}

template <typename T>
void gemm(const char* routine, Transpose transA, Transpose transB, std::size_t m, std::size_t n, std::size_t k,
          T alpha, std::span<const T> a, std::span<const T> b, T beta, std::span<T> c) {
    const blasint rows = dimension(m, routine), columns = dimension(n, routine), inner = dimension(k, routine);
    requireSize(a.size(), m * k, routine, "A");
    requireSize(b.size(), k * n, routine, "B");
    requireSize(c.size(), m * n, routine, "C");
    if (m == 0 || n == 0) return;
    if (k == 0) return scaleOnly(beta, c);
    useOneBlasThread();
    const blasint lda = transA == Transpose::none ? inner : rows;
    const blasint ldb = transB == Transpose::none ? columns : inner;
    if constexpr (std::is_same_v<T, float>)
        cblas_sgemm(CblasRowMajor, cblasTranspose(transA), cblasTranspose(transB), rows, columns, inner, alpha,
                    a.data(), lda, b.data(), ldb, beta, c.data(), columns);
    else
        cblas_dgemm(CblasRowMajor, cblasTranspose(transA), cblasTranspose(transB), rows, columns, inner, alpha,
                    a.data(), lda, b.data(), ldb, beta, c.data(), columns);
}

template <typename T>
void gemv(const char* routine, Transpose trans, std::size_t rows, std::size_t columns, T alpha,
          std::span<const T> a, std::span<const T> x, T beta, std::span<T> y) {
    const blasint m = dimension(rows, routine), n = dimension(columns, routine);
    const bool transposed = trans == Transpose::transposed;
    requireSize(a.size(), rows * columns, routine, "A");
    requireSize(x.size(), transposed ? rows : columns, routine, "x");
    requireSize(y.size(), transposed ? columns : rows, routine, "y");
    if (y.empty()) return;
    if (x.empty()) return scaleOnly(beta, y);
    useOneBlasThread();
    if constexpr (std::is_same_v<T, float>)
        cblas_sgemv(CblasRowMajor, cblasTranspose(trans), m, n, alpha, a.data(), n, x.data(), 1, beta, y.data(), 1);
    else
        cblas_dgemv(CblasRowMajor, cblasTranspose(trans), m, n, alpha, a.data(), n, x.data(), 1, beta, y.data(), 1);
}

} // namespace

void sgemm(Transpose transA, Transpose transB, std::size_t m, std::size_t n, std::size_t k, float alpha,
           std::span<const float> a, std::span<const float> b, float beta, std::span<float> c) {
    gemm("sgemm", transA, transB, m, n, k, alpha, a, b, beta, c);
}

void dgemm(Transpose transA, Transpose transB, std::size_t m, std::size_t n, std::size_t k, double alpha,
           std::span<const double> a, std::span<const double> b, double beta, std::span<double> c) {
    gemm("dgemm", transA, transB, m, n, k, alpha, a, b, beta, c);
}

void sgemv(Transpose trans, std::size_t rows, std::size_t columns, float alpha, std::span<const float> a,
           std::span<const float> x, float beta, std::span<float> y) {
    gemv("sgemv", trans, rows, columns, alpha, a, x, beta, y);
}

void dgemv(Transpose trans, std::size_t rows, std::size_t columns, double alpha, std::span<const double> a,
           std::span<const double> x, double beta, std::span<double> y) {
    gemv("dgemv", trans, rows, columns, alpha, a, x, beta, y);
}

void saxpy(float alpha, std::span<const float> x, std::span<float> y) {
    requireSize(y.size(), x.size(), "saxpy", "y");
    if (x.empty()) return;
    useOneBlasThread();
    cblas_saxpy(dimension(x.size(), "saxpy"), alpha, x.data(), 1, y.data(), 1);
}

void daxpy(double alpha, std::span<const double> x, std::span<double> y) {
    requireSize(y.size(), x.size(), "daxpy", "y");
    if (x.empty()) return;
    useOneBlasThread();
    cblas_daxpy(dimension(x.size(), "daxpy"), alpha, x.data(), 1, y.data(), 1);
}

void scopy(std::span<const float> x, std::span<float> y) {
    requireSize(y.size(), x.size(), "scopy", "y");
    if (x.empty()) return;
    useOneBlasThread();
    cblas_scopy(dimension(x.size(), "scopy"), x.data(), 1, y.data(), 1);
}

float sdot(std::span<const float> x, std::span<const float> y) {
    requireSize(y.size(), x.size(), "sdot", "y");
    if (x.empty()) return 0.0f;
    useOneBlasThread();
    return cblas_sdot(dimension(x.size(), "sdot"), x.data(), 1, y.data(), 1);
}

double ddot(std::span<const double> x, std::span<const double> y) {
    requireSize(y.size(), x.size(), "ddot", "y");
    if (x.empty()) return 0.0;
    useOneBlasThread();
    return cblas_ddot(dimension(x.size(), "ddot"), x.data(), 1, y.data(), 1);
}

} // namespace platform::accel
