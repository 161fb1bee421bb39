#include "RazeziRuzer/Diarizer/Offline/Clustering/SeededRNG.hpp"

#include <gtest/gtest.h>

#include <numeric>

namespace razeziruzer {
namespace {

TEST(SeededRNGTests, ReproducesTheSequence) {
    SeededRNG draws(42);
    EXPECT_EQ(draws.next(), 10481999410520546993ULL);
    EXPECT_EQ(draws.next(), 4159066171780167020ULL);
    EXPECT_EQ(draws.next(), 7615522811268512075ULL);

    SeededRNG uniform(42);
    std::vector<std::uint64_t> values;
    for (int i = 0; i < 8; ++i) values.push_back(uniform.uniform(10));
    EXPECT_EQ(values, (std::vector<std::uint64_t>{5, 2, 4, 6, 6, 0, 0, 1}));
}

TEST(SeededRNGTests, RejectsBiasedDrawsForLargeBounds) {
    // With a bound just above 2^63 almost half the products are rejected;
    // the final state shows how many draws were taken.
    SeededRNG rng(0);
    const std::uint64_t bound = (1ULL << 63) + 1;
    std::vector<std::uint64_t> values;
    for (int i = 0; i < 4; ++i) values.push_back(rng.uniform(bound));
    EXPECT_EQ(values, (std::vector<std::uint64_t>{721347520444481703ULL, 3538323445157947641ULL,
                                                  5173017058692594435ULL, 729664194925223214ULL}));
    EXPECT_EQ(rng.state(), 1459328389850446429ULL);
}

TEST(SeededRNGTests, ShuffleWalksFromTheFront) {
    SeededRNG rng(7);
    std::vector<int> values(10);
    std::iota(values.begin(), values.end(), 0);
    rng.shuffle(values);
    EXPECT_EQ(values, (std::vector<int>{4, 9, 1, 0, 5, 3, 7, 6, 2, 8}));
}

} // namespace
} // namespace razeziruzer
