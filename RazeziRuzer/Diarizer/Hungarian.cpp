#include "RazeziRuzer/Diarizer/Hungarian.hpp"

#include <limits>

namespace razeziruzer::Hungarian {

// Shortest augmenting paths with row and column potentials; rows and columns
// count from 1, column 0 being the virtual start.
std::vector<std::int64_t> solve(std::span<const std::int64_t> costSquare, std::int64_t n) {
    if (n <= 0) return {};
    const std::int64_t infinity = std::numeric_limits<std::int64_t>::max() / 4;
    const auto size = static_cast<std::size_t>(n + 1);
    std::vector<std::int64_t> u(size, 0), v(size, 0), p(size, 0), way(size, 0);
    const auto cost = [&](std::int64_t row, std::int64_t column) {
        return costSquare[static_cast<std::size_t>((row - 1) * n + (column - 1))];
    };
    for (std::int64_t i = 1; i <= n; ++i) {
        p[0] = i;
        std::int64_t j0 = 0;
        std::vector<std::int64_t> minv(size, infinity);
        std::vector<bool> used(size, false);
        do {
            used[static_cast<std::size_t>(j0)] = true;
            const auto i0 = p[static_cast<std::size_t>(j0)];
            std::int64_t delta = infinity;
            std::int64_t j1 = 0;
            for (std::int64_t j = 1; j <= n; ++j) {
                const auto column = static_cast<std::size_t>(j);
                if (used[column]) continue;
                const auto current = cost(i0, j) - u[static_cast<std::size_t>(i0)] - v[column];
                if (current < minv[column]) {
                    minv[column] = current;
                    way[column] = j0;
                }
                if (minv[column] < delta) {
                    delta = minv[column];
                    j1 = j;
                }
            }
            for (std::size_t j = 0; j < size; ++j) {
                if (used[j]) {
                    u[static_cast<std::size_t>(p[j])] += delta;
                    v[j] -= delta;
                } else {
                    minv[j] -= delta;
                }
            }
            j0 = j1;
        } while (p[static_cast<std::size_t>(j0)] != 0);
        do {
            const auto j1 = way[static_cast<std::size_t>(j0)];
            p[static_cast<std::size_t>(j0)] = p[static_cast<std::size_t>(j1)];
            j0 = j1;
        } while (j0 != 0);
    }
    std::vector<std::int64_t> assignment(static_cast<std::size_t>(n), -1);
    for (std::int64_t j = 1; j <= n; ++j) {
        const auto row = p[static_cast<std::size_t>(j)];
        if (row != 0) assignment[static_cast<std::size_t>(row - 1)] = j - 1;
    }
    return assignment;
}

} // namespace razeziruzer::Hungarian
