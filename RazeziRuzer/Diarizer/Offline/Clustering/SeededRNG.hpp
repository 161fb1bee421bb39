#pragma once
// A small linear congruential generator whose sequence is fixed by its seed,
// so that a seeded k-means run can be reproduced exactly.

#include <cstdint>
#include <utility>
#include <vector>

namespace razeziruzer {

class SeededRNG {
public:
    explicit SeededRNG(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return state_;
    }

    // Uniform in [0, bound) for bound >= 1: multiply-high with rejection of
    // the few low products that would bias the result.
    std::uint64_t uniform(std::uint64_t bound);

    template <typename T>
    void shuffle(std::vector<T>& values) {
        std::size_t current = 0;
        for (std::size_t remaining = values.size(); remaining >= 2; --remaining, ++current) {
            const auto offset = static_cast<std::size_t>(uniform(remaining));
            std::swap(values[current], values[current + offset]);
        }
    }

    std::uint64_t state() const { return state_; }

private:
    std::uint64_t state_;
};

} // namespace razeziruzer
