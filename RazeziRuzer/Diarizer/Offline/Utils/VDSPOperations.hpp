#pragma once
// Vector operations on 32-bit float arrays shared by the diarizers.

#include <span>
#include <vector>

namespace razeziruzer::VDSPOperations {

// Unit L2 norm; the norm is floored at 1e-12, so zeros stay zeros.
std::vector<float> l2Normalize(std::span<const float> values);
// log(sum(exp(x))) computed around the maximum so large inputs stay finite;
// negative infinity for an empty array.
float logSumExp(std::span<const float> values);

} // namespace razeziruzer::VDSPOperations
