#include "Platform/Accel/PanelProduct.hpp"

#include <algorithm>
#include <cblas.h>
#include <libxsmm.h>

namespace platform::accel {
namespace {

// Rows multiplied by one kernel call: a bounded set of kernel shapes, and a
// block of C that stays in the first-level cache's neighbourhood.
constexpr std::size_t rowBlock = 64;

libxsmm_blasint blasInt(std::size_t value) { return static_cast<libxsmm_blasint>(value); }

// The kernels are column-major: row-major C = A · P is column-major Cᵀ = Pᵀ · Aᵀ,
// so the panel is the kernel's first operand and A its second.
libxsmm_smmfunction kernelFor(std::size_t rows, std::size_t width, std::size_t k, const PanelOperands& operands) {
    const auto panelStride = blasInt(operands.panelStride);
    const auto aStride = blasInt(operands.aStride);
    const auto cStride = blasInt(operands.cStride);
    const float alpha = 1.0f;
    const float beta = 0.0f;
    const int flags = LIBXSMM_GEMM_FLAG_NONE;
    return libxsmm_smmdispatch(blasInt(width), blasInt(rows), blasInt(k), &panelStride, &aStride, &cStride, &alpha,
                               &beta, &flags, nullptr);
}

// Where no kernel can be generated (an unsupported shape or processor), the
// BLAS computes the same block.
void multiplyWithBlas(std::size_t rows, std::size_t width, std::size_t k, const PanelOperands& operands) {
    cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, static_cast<int>(rows), static_cast<int>(width),
                static_cast<int>(k), 1.0f, operands.a, static_cast<int>(operands.aStride), operands.panel,
                static_cast<int>(operands.panelStride), 0.0f, operands.c, static_cast<int>(operands.cStride));
}

} // namespace

void multiplyPanel(std::size_t rows, std::size_t width, std::size_t k, const PanelOperands& operands) {
    for (std::size_t first = 0; first < rows; first += rowBlock) {
        const auto count = std::min(rowBlock, rows - first);
        PanelOperands block = operands;
        block.a = operands.a + first * operands.aStride;
        block.c = operands.c + first * operands.cStride;
        if (k == 0) {
            for (std::size_t row = 0; row < count; ++row) {
                std::fill_n(block.c + row * block.cStride, width, 0.0f);
            }
        } else if (const auto kernel = kernelFor(count, width, k, block)) {
            kernel(block.panel, block.a, block.c);
        } else {
            multiplyWithBlas(count, width, k, block);
        }
    }
}

} // namespace platform::accel
