#include "Platform/Accel/Blas.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace {

using platform::accel::Transpose;

template <typename T>
std::vector<T> randomValues(std::size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<T> distribution(-1, 1);
    std::vector<T> values(n);
    for (auto& value : values) value = distribution(generator);
    return values;
}

// Element (row, column) of op(M), where M is stored row-major with `stored` columns.
template <typename T>
T at(const std::vector<T>& m, Transpose trans, std::size_t stored, std::size_t row, std::size_t column) {
    return trans == Transpose::none ? m[row * stored + column] : m[column * stored + row];
}

template <typename T>
std::vector<T> naiveGemm(Transpose ta, Transpose tb, std::size_t m, std::size_t n, std::size_t k, T alpha,
                         const std::vector<T>& a, const std::vector<T>& b, T beta, std::vector<T> c) {
    const std::size_t aStored = ta == Transpose::none ? k : m, bStored = tb == Transpose::none ? n : k;
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            double total = 0;
            for (std::size_t p = 0; p < k; ++p) total += double(at(a, ta, aStored, i, p)) * at(b, tb, bStored, p, j);
            c[i * n + j] = static_cast<T>(alpha * total + beta * c[i * n + j]);
        }
    return c;
}

struct GemmCase {
    Transpose ta, tb;
    std::size_t m, n, k;
};

class Gemm : public testing::TestWithParam<GemmCase> {};

TEST_P(Gemm, SingleAndDoubleMatchNaiveProduct) {
    const auto [ta, tb, m, n, k] = GetParam();
    const auto a = randomValues<float>(m * k, 1), b = randomValues<float>(k * n, 2), c0 = randomValues<float>(m * n, 3);
    auto c = c0;
    platform::accel::sgemm(ta, tb, m, n, k, 0.5f, a, b, 2.0f, c);
    const auto expected = naiveGemm(ta, tb, m, n, k, 0.5f, a, b, 2.0f, c0);
    for (std::size_t i = 0; i < c.size(); ++i) EXPECT_NEAR(c[i], expected[i], 1e-4) << i;

    const std::vector<double> ad(a.begin(), a.end()), bd(b.begin(), b.end()), cd0(c0.begin(), c0.end());
    auto cd = cd0;
    platform::accel::dgemm(ta, tb, m, n, k, 0.5, ad, bd, 2.0, cd);
    const auto expectedD = naiveGemm(ta, tb, m, n, k, 0.5, ad, bd, 2.0, cd0);
    for (std::size_t i = 0; i < cd.size(); ++i) EXPECT_NEAR(cd[i], expectedD[i], 1e-12) << i;
}

INSTANTIATE_TEST_SUITE_P(Shapes, Gemm,
                         testing::Values(GemmCase{Transpose::none, Transpose::none, 3, 5, 4},
                                         GemmCase{Transpose::transposed, Transpose::none, 3, 5, 4},
                                         GemmCase{Transpose::none, Transpose::transposed, 3, 5, 4},
                                         GemmCase{Transpose::transposed, Transpose::transposed, 7, 2, 9},
                                         GemmCase{Transpose::none, Transpose::none, 1, 1, 33}));

TEST(Blas, ZeroBetaIgnoresWhatTheTargetHeld) {
    const std::vector<double> a{1, 2, 3, 4}, b{5, 6, 7, 8};
    std::vector<double> c(4, std::numeric_limits<double>::quiet_NaN());
    platform::accel::dgemm(Transpose::none, Transpose::none, 2, 2, 2, 1.0, a, b, 0.0, c);
    EXPECT_EQ(c, (std::vector<double>{19, 22, 43, 50}));

    std::vector<float> y(2, std::numeric_limits<float>::quiet_NaN());
    platform::accel::sgemv(Transpose::none, 2, 2, 1.0f, std::vector<float>{1, 2, 3, 4}, std::vector<float>{1, 1}, 0.0f, y);
    EXPECT_EQ(y, (std::vector<float>{3, 7}));
}

TEST(Blas, EmptyInnerDimensionOnlyScalesTheTarget) {
    std::vector<float> c{1, 2, 3, 4};
    platform::accel::sgemm(Transpose::none, Transpose::none, 2, 2, 0, 1.0f, {}, {}, 3.0f, c);
    EXPECT_EQ(c, (std::vector<float>{3, 6, 9, 12}));
    std::vector<double> y{std::numeric_limits<double>::quiet_NaN(), 1};
    platform::accel::dgemv(Transpose::none, 2, 0, 1.0, {}, {}, 0.0, y);
    EXPECT_EQ(y, (std::vector<double>{0, 0}));
}

TEST(Blas, GemvMatchesNaiveProductBothWays) {
    constexpr std::size_t rows = 128, columns = 257;
    const auto a = randomValues<float>(rows * columns, 4);
    for (const auto trans : {Transpose::none, Transpose::transposed}) {
        const bool t = trans == Transpose::transposed;
        const auto x = randomValues<float>(t ? rows : columns, 5);
        const auto y0 = randomValues<float>(t ? columns : rows, 6);
        auto y = y0;
        platform::accel::sgemv(trans, rows, columns, 1.5f, a, x, -1.0f, y);
        const auto expected = naiveGemm(trans, Transpose::none, y.size(), 1, x.size(), 1.5f, a, x, -1.0f, y0);
        for (std::size_t i = 0; i < y.size(); ++i) EXPECT_NEAR(y[i], expected[i], 1e-4) << i;

        const std::vector<double> ad(a.begin(), a.end()), xd(x.begin(), x.end()), yd0(y0.begin(), y0.end());
        auto yd = yd0;
        platform::accel::dgemv(trans, rows, columns, 1.5, ad, xd, -1.0, yd);
        const auto expectedD = naiveGemm(trans, Transpose::none, yd.size(), 1, xd.size(), 1.5, ad, xd, -1.0, yd0);
        for (std::size_t i = 0; i < yd.size(); ++i) EXPECT_NEAR(yd[i], expectedD[i], 1e-12) << i;
    }
}

TEST(Blas, VectorRoutines) {
    const std::vector<float> x{1, 2, 3};
    std::vector<float> y{10, 20, 30};
    platform::accel::saxpy(2.0f, x, y);
    EXPECT_EQ(y, (std::vector<float>{12, 24, 36}));
    std::vector<double> yd{1, 1, 1};
    platform::accel::daxpy(-1.0, std::vector<double>{1, 2, 3}, yd);
    EXPECT_EQ(yd, (std::vector<double>{0, -1, -2}));
    platform::accel::scopy(x, y);
    EXPECT_EQ(y, x);
    EXPECT_FLOAT_EQ(platform::accel::sdot(x, std::vector<float>{4, 5, 6}), 32.0f);
    EXPECT_DOUBLE_EQ(platform::accel::ddot(std::vector<double>{1, 2}, std::vector<double>{3, 4}), 11.0);
    EXPECT_EQ(platform::accel::sdot({}, {}), 0.0f);
}

TEST(Blas, WrongBufferSizesThrowAndLeaveTargetsAlone) {
    std::vector<float> c(6, 1.0f);
    const std::vector<float> a(6), b(6);
    EXPECT_THROW(platform::accel::sgemm(Transpose::none, Transpose::none, 2, 3, 4, 1, a, b, 0, c), std::invalid_argument);
    EXPECT_THROW(platform::accel::sgemv(Transpose::transposed, 2, 3, 1, a, std::vector<float>(3), 0,
                                       std::span(c).first(2)), std::invalid_argument);
    EXPECT_THROW(platform::accel::saxpy(1, a, std::span(c).first(5)), std::invalid_argument);
    EXPECT_THROW(platform::accel::sdot(a, std::span<const float>(c).first(2)), std::invalid_argument);
    EXPECT_EQ(c, std::vector<float>(6, 1.0f));
}

} // namespace
