#include "Platform/Accel/VectorOps.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

namespace accel = platform::accel;

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

TEST(VectorOps, ElementWiseArithmeticAlsoInPlace) {
    const std::vector<float> a{1, 2, 3, 4, 5}, b{10, 20, 30, 40, 50};
    std::vector<float> out(5);
    accel::add(a, b, out);
    EXPECT_EQ(out, (std::vector<float>{11, 22, 33, 44, 55}));
    accel::subtract(a, b, out);
    EXPECT_EQ(out, (std::vector<float>{-9, -18, -27, -36, -45}));
    accel::multiply(a, b, out);
    EXPECT_EQ(out, (std::vector<float>{10, 40, 90, 160, 250}));
    accel::scale(a, -2.0f, out);
    EXPECT_EQ(out, (std::vector<float>{-2, -4, -6, -8, -10}));
    accel::addScalar(a, 0.5f, out);
    EXPECT_EQ(out, (std::vector<float>{1.5, 2.5, 3.5, 4.5, 5.5}));
    accel::square(a, out);
    EXPECT_EQ(out, (std::vector<float>{1, 4, 9, 16, 25}));

    std::vector<double> inPlace{1, 2, 3};
    accel::add(inPlace, inPlace, inPlace);
    accel::scale(inPlace, 0.5, inPlace);
    EXPECT_EQ(inPlace, (std::vector<double>{1, 2, 3}));
}

TEST(VectorOps, ExpLogAndLog1p) {
    const std::vector<double> a{0.0, 1.0, -0.5, 1e-12};
    std::vector<double> e(4), l(4), l1(4);
    accel::exp(a, e);
    accel::log(e, l);
    accel::log1p(a, l1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_DOUBLE_EQ(e[i], std::exp(a[i]));
        EXPECT_NEAR(l[i], a[i], 1e-15);
        EXPECT_DOUBLE_EQ(l1[i], std::log1p(a[i]));
    }
    std::vector<float> logs(2);
    accel::log(std::vector<float>{0.0f, -1.0f}, logs);
    EXPECT_EQ(logs[0], -inf);
    EXPECT_TRUE(std::isnan(logs[1]));
}

TEST(VectorOps, ClipLimitsToBoundsAndKeepsNaN) {
    std::vector<float> out(6);
    accel::clip(std::vector<float>{-5, -1, 0, 1, 5, nan}, -1.0f, 2.0f, out);
    EXPECT_EQ(std::vector<float>(out.begin(), out.end() - 1), (std::vector<float>{-1, -1, 0, 1, 2}));
    EXPECT_TRUE(std::isnan(out.back()));
    EXPECT_THROW(accel::clip(std::vector<float>{1}, 2.0f, 1.0f, std::span(out).first(1)), std::invalid_argument);
}

TEST(VectorOps, ReductionsAcrossLaneBoundaries) {
    // 1 ... 19 crosses the eight-lane blocks with a remainder.
    std::vector<float> a(19);
    std::iota(a.begin(), a.end(), 1.0f);
    EXPECT_EQ(accel::sum(a), 190.0f);
    EXPECT_EQ(accel::sumOfSquares(a), 2470.0f);
    EXPECT_EQ(accel::dot(a, a), 2470.0f);
    EXPECT_EQ(accel::mean(a), 10.0f);
    EXPECT_FLOAT_EQ(accel::rootMeanSquare(a), std::sqrt(2470.0f / 19.0f));
    EXPECT_EQ(accel::sum(std::span<const double>(std::vector<double>{0.25, 0.5})), 0.75);

    EXPECT_EQ(accel::sum(std::span<const float>{}), 0.0f);
    EXPECT_EQ(accel::mean(std::span<const float>{}), 0.0f);
    EXPECT_EQ(accel::rootMeanSquare(std::span<const float>{}), 0.0f);
    EXPECT_THROW(accel::dot(a, std::span<const float>(a).first(3)), std::invalid_argument);
}

TEST(VectorOps, ArgMaxAndArgMinTakeTheLowestIndexOnTies) {
    const std::vector<float> a{1, 7, 3, 7, -2, 5, -2};
    EXPECT_EQ(accel::argMax(a), (accel::IndexedValue<float>{7, 1}));
    EXPECT_EQ(accel::argMin(a), (accel::IndexedValue<float>{-2, 4}));
    EXPECT_EQ(accel::argMax(std::vector<float>{-inf, -inf}), (accel::IndexedValue<float>{-inf, 0}));
    EXPECT_EQ(accel::argMax(std::vector<float>{nan, 2, nan, 3}), (accel::IndexedValue<float>{3, 3}));
    EXPECT_EQ(accel::argMax(std::span<const float>{}), (accel::IndexedValue<float>{-inf, 0}));
    EXPECT_EQ(accel::argMin(std::span<const double>{}).index, 0u);
    EXPECT_EQ(accel::argMax(std::vector<double>{0.5, 0.5}), (accel::IndexedValue<double>{0.5, 0}));
}

TEST(VectorOps, ExtremesAndMagnitudes) {
    const std::vector<float> a{3, -8, nan, 0.5f, 6};
    EXPECT_EQ(accel::maxValue(a), 6.0f);
    EXPECT_EQ(accel::minValue(a), -8.0f);
    EXPECT_EQ(accel::maxMagnitude(a), 8.0f);
    EXPECT_EQ(accel::minMagnitude(a), 0.5f);
    EXPECT_EQ(accel::maxValue(std::span<const float>{}), -inf);
    EXPECT_EQ(accel::minValue(std::span<const float>{}), inf);
    EXPECT_EQ(accel::maxMagnitude(std::span<const float>{}), 0.0f);
}

TEST(VectorOps, TransposeRowMajorMatrices) {
    // 3 x 40 crosses a tile edge in one direction.
    constexpr std::size_t rows = 3, columns = 40;
    std::vector<float> in(rows * columns), out(rows * columns), back(rows * columns);
    std::iota(in.begin(), in.end(), 0.0f);
    accel::transpose(in, rows, columns, out);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c) EXPECT_EQ(out[c * rows + r], in[r * columns + c]);
    accel::transpose(out, columns, rows, back);
    EXPECT_EQ(back, in);
    EXPECT_THROW(accel::transpose(in, rows, columns, in), std::invalid_argument);
    EXPECT_THROW(accel::transpose(in, rows, columns + 1, out), std::invalid_argument);
}

TEST(VectorOps, LengthMismatchAndShiftedOverlapAreRejected) {
    std::vector<float> buffer(10, 1.0f);
    const std::span<float> all(buffer);
    EXPECT_THROW(accel::add(all.first(5), all.first(4), all.last(5)), std::invalid_argument);
    EXPECT_THROW(accel::scale(all.first(6), 2.0f, all.last(6)), std::invalid_argument);
    EXPECT_EQ(buffer, std::vector<float>(10, 1.0f));
    accel::fill(all, 2.0f);
    EXPECT_EQ(buffer, std::vector<float>(10, 2.0f));
}

} // namespace
