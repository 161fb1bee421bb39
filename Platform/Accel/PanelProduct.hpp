#pragma once
// Products with a constant matrix kept in column panels: C = A · P, where P
// (k x width) is one panel of a weight matrix, stored row after row with a
// fixed stride. Kernels are generated for the processor at first use and kept
// (JIT small-matrix kernels), so nothing is repacked from call to call.

#include <cstddef>

namespace platform::accel {

// Where a panel product reads and writes; every stride is in floats.
struct PanelOperands {
    const float* a = nullptr;   // rows x k, row stride `aStride`
    std::size_t aStride = 0;
    const float* panel = nullptr; // k x width, row stride `panelStride`
    std::size_t panelStride = 0;
    float* c = nullptr;         // rows x width, row stride `cStride`; overwritten
    std::size_t cStride = 0;
};

// C = A · P for `rows` rows and `width` columns over an inner dimension of `k`.
void multiplyPanel(std::size_t rows, std::size_t width, std::size_t k, const PanelOperands& operands);

} // namespace platform::accel
