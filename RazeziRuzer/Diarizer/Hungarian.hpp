#pragma once
// Minimum-cost assignment on a square integer cost matrix.

#include <cstdint>
#include <span>
#include <vector>

namespace razeziruzer::Hungarian {

// costSquare is row-major, n x n; the result gives each row's column. Among
// equally cheap choices the lowest column wins while a row is placed.
std::vector<std::int64_t> solve(std::span<const std::int64_t> costSquare, std::int64_t n);

} // namespace razeziruzer::Hungarian
