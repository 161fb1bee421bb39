#pragma once
// The matrix products of a recurrent layer, split across the shared pool when
// they are large: the input projection of all steps at once, and the product
// of each step's hidden state with the recurrent weights.

#include "Platform/CoreML/MIL/Ops/RecurrentArguments.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace platform::coreml::mil {

// out (m × n) += a (m × k) · bᵀ, where b is n × k, all dense row-major.
void addProductTransposed(std::span<const float> a, std::size_t m, std::size_t k, std::span<const float> b,
                          std::size_t n, std::span<float> out);

// The same with b plain or packed (packed weights are multiplied where they lie).
void addProductTransposed(std::span<const float> a, std::size_t m, std::size_t k, const RecurrentWeight& b,
                          std::size_t n, std::span<float> out);

// rows × width values: x (rows × inputSize) · weightᵀ + bias, where weight is
// width × inputSize and bias has `width` values or none.
std::vector<float> projectInput(std::span<const float> x, std::size_t rows, std::size_t inputSize,
                                const RecurrentWeight& weight, std::size_t width, std::span<const float> bias);

} // namespace platform::coreml::mil
