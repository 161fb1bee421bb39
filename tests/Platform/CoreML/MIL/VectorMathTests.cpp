// The vector math functions against the C library in double, in their element
// form (compiled here for the portable baseline) and their whole-array form
// (the widest instruction set the processor runs), plus the softmax pieces.

#include "Platform/CoreML/MIL/Ops/VectorMath.hpp"
#include "Platform/CoreML/MIL/Ops/VectorMathArrays.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <span>
#include <string>
#include <vector>

namespace {

namespace vmath = platform::coreml::mil::vmath;

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

using Element = float (*)(float);
using Array = void (*)(std::span<const float>, std::span<float>);

double sigmoidOf(double x) { return 1.0 / (1.0 + std::exp(-x)); }

// Edges of the formulas' pieces, their saturation points and the special values.
std::vector<float> edges() {
    std::vector<float> values{0.0f, FLT_TRUE_MIN, FLT_MIN - FLT_TRUE_MIN, FLT_MIN, FLT_MAX, inf, nan,
                              0.625f, 1.0f, 4.0f, 9.0f, 20.0f, 100.0f, 1000.0f, 88.7228317f, 88.7228394f, 89.0f,
                              87.3365479f, 103.972076f, 104.0f, 105.0f};
    const auto count = values.size();
    for (std::size_t i = 0; i < count; ++i) {
        const float v = values[i];
        values.push_back(-v);
        values.push_back(std::nextafter(v, 0.0f));
        values.push_back(-std::nextafter(v, 0.0f));
        values.push_back(std::nextafter(v, inf));
        values.push_back(-std::nextafter(v, inf));
    }
    return values;
}

// Every 4099th bit pattern (all signs and exponents, subnormals and NaNs), an
// even sweep of [-20, 20] where the formulas change pieces, and the edges.
std::vector<float> sweep() {
    std::vector<float> values;
    for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << 32); bits += 4099) {
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    }
    for (int i = -200000; i <= 200000; ++i) {
        values.push_back(static_cast<float>(i) * 1e-4f);
    }
    const auto special = edges();
    values.insert(values.end(), special.begin(), special.end());
    return values;
}

// How far `got` lies from `exact`, past `slack`, in units in the last place of
// floats near `exact` (the subnormal spacing below the normal range); infinite
// where NaN or an infinity is wrong.
double ulpError(float got, double exact, double slack) {
    if (std::isnan(exact)) {
        return std::isnan(got) ? 0.0 : INFINITY;
    }
    const double overflow = std::ldexp(2.0 - std::ldexp(1.0, -24), 127); // rounds to inf from here on
    const float rounded = std::fabs(exact) >= overflow ? std::copysign(inf, static_cast<float>(exact))
                                                       : static_cast<float>(exact);
    if (std::isinf(rounded) || !std::isfinite(got)) {
        return got == rounded ? 0.0 : INFINITY;
    }
    const int exponent = rounded == 0.0f ? -126 : std::max(std::ilogb(rounded), -126);
    return std::max(0.0, std::fabs(got - exact) - slack) / std::ldexp(1.0, exponent - 23);
}

struct Function {
    const char* name;
    Element element;
    Array array;
    double (*reference)(double);
    double maxUlp;
    // Absolute error the float formula inherits on top of maxUlp, from
    // rounding an intermediate it cannot avoid; none when null.
    double (*slack)(double x, double exact);
};

// x·sigmoid(u) for a computed u: u carries a relative error of a few 2^-24,
// which sigmoid(u) turns into about |u| times that, and sigmoid(u) is rounded
// to the subnormal spacing before the product.
double sigmoidProductSlack(double x, double exact, double u) {
    return std::fabs(exact) * std::min(std::fabs(u), 1e6) * 0x1p-22 + std::fabs(x) * 0x1p-149;
}

const Function functions[] = {
    {"exp", vmath::exp, vmath::exp, [](double x) { return std::exp(x); }, 1.5, nullptr},
    {"log", vmath::log, vmath::log, [](double x) { return std::log(x); }, 1.0, nullptr},
    {"sigmoid", vmath::sigmoid, vmath::sigmoid, sigmoidOf, 3.0, nullptr},
    {"tanh", vmath::tanh, vmath::tanh, [](double x) { return std::tanh(x); }, 2.0, nullptr},
    {"erf", vmath::erf, vmath::erf, [](double x) { return std::erf(x); }, 2.0, nullptr},
    {"softplus", vmath::softplus, vmath::softplus,
     [](double x) { return std::max(x, 0.0) + std::log1p(std::exp(-std::fabs(x))); }, 2.5, nullptr},
    // sigmoid(x) is rounded to the subnormal spacing before the product.
    {"silu", vmath::silu, vmath::silu, [](double x) { return x * sigmoidOf(x); }, 3.5,
     [](double x, double) { return std::fabs(x) * 0x1p-149; }},
    // 1 + erf(x/√2) cancels for negative x: there erf's error stays absolute.
    {"geluErf", vmath::geluErf, vmath::geluErf, [](double x) { return 0.5 * x * std::erfc(-x / std::sqrt(2.0)); }, 2.5,
     [](double x, double) { return x < 0 ? -x * 0x1p-23 : 0.0; }},
    // 0.5x(1 + tanh(u)) written as x·sigmoid(2u), which does not cancel in double either.
    {"geluTanh", vmath::geluTanh, vmath::geluTanh,
     [](double x) { return x * sigmoidOf(2 * std::sqrt(2 / std::numbers::pi) * (x + 0.044715 * x * x * x)); }, 3.0,
     [](double x, double exact) {
         return sigmoidProductSlack(x, exact, 2 * std::sqrt(2 / std::numbers::pi) * (x + 0.044715 * x * x * x));
     }},
    {"geluSigmoid", vmath::geluSigmoid, vmath::geluSigmoid, [](double x) { return x * sigmoidOf(1.702 * x); }, 3.0,
     [](double x, double exact) { return sigmoidProductSlack(x, exact, 1.702 * x); }},
};

struct Worst {
    double ulps = 0.0;
    float at = 0.0f;
};

TEST(VectorMathTests, EachFunctionStaysWithinItsUlpBoundOfTheCLibrary) {
    const auto inputs = sweep();
    std::vector<float> arrayResults(inputs.size());
    for (const auto& function : functions) {
        SCOPED_TRACE(function.name);
        arrayResults = inputs;
        function.array(arrayResults, arrayResults); // in place, as several kernels call it
        Worst element;
        Worst array;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const double x = inputs[i];
            const double exact = function.reference(x);
            const double slack = function.slack != nullptr && std::isfinite(exact) ? function.slack(x, exact) : 0.0;
            const auto note = [&](Worst& worst, float got) {
                const double error = ulpError(got, exact, slack);
                if (error > worst.ulps) {
                    worst = {error, inputs[i]};
                }
            };
            note(element, function.element(inputs[i]));
            note(array, arrayResults[i]);
        }
        EXPECT_LE(element.ulps, function.maxUlp) << "element form at x = " << element.at;
        EXPECT_LE(array.ulps, function.maxUlp) << "array form at x = " << array.at;
        RecordProperty(std::string(function.name) + "_max_ulp", std::to_string(std::max(element.ulps, array.ulps)));
    }
}

TEST(VectorMathTests, SpecialValuesAndSaturationAreExact) {
    struct Case {
        const char* name;
        Element element;
        Array array;
        float x;
        float expected;
    };
    const auto scalarSigmoid = [](float v) {
        const float e = std::exp(v);
        return e / (1.0f + e);
    };
    const Case cases[] = {
        {"exp", vmath::exp, vmath::exp, -inf, 0.0f},
        {"exp", vmath::exp, vmath::exp, inf, inf},
        {"exp", vmath::exp, vmath::exp, 89.0f, inf},
        {"exp", vmath::exp, vmath::exp, 88.7228394f, inf},
        {"exp", vmath::exp, vmath::exp, 88.7228317f, std::exp(88.7228317f)},
        {"exp", vmath::exp, vmath::exp, -104.0f, 0.0f},
        {"exp", vmath::exp, vmath::exp, -103.0f, FLT_TRUE_MIN},
        {"exp", vmath::exp, vmath::exp, -0.0f, 1.0f},
        {"log", vmath::log, vmath::log, 0.0f, -inf},
        {"log", vmath::log, vmath::log, -0.0f, -inf},
        {"log", vmath::log, vmath::log, -1.0f, nan},
        {"log", vmath::log, vmath::log, -inf, nan},
        {"log", vmath::log, vmath::log, inf, inf},
        {"log", vmath::log, vmath::log, 1.0f, 0.0f},
        {"sigmoid", vmath::sigmoid, vmath::sigmoid, 100.0f, 1.0f},
        {"sigmoid", vmath::sigmoid, vmath::sigmoid, -100.0f, scalarSigmoid(-100.0f)},
        {"sigmoid", vmath::sigmoid, vmath::sigmoid, -200.0f, 0.0f},
        {"sigmoid", vmath::sigmoid, vmath::sigmoid, inf, 1.0f},
        {"sigmoid", vmath::sigmoid, vmath::sigmoid, -inf, 0.0f},
        {"sigmoid", vmath::sigmoid, vmath::sigmoid, -0.0f, 0.5f},
        {"tanh", vmath::tanh, vmath::tanh, 20.0f, 1.0f},
        {"tanh", vmath::tanh, vmath::tanh, -20.0f, -1.0f},
        {"tanh", vmath::tanh, vmath::tanh, 9.1f, 1.0f},
        {"tanh", vmath::tanh, vmath::tanh, -inf, -1.0f},
        {"tanh", vmath::tanh, vmath::tanh, -0.0f, -0.0f},
        {"tanh", vmath::tanh, vmath::tanh, -FLT_TRUE_MIN, -FLT_TRUE_MIN},
        {"erf", vmath::erf, vmath::erf, 4.0f, 1.0f},
        {"erf", vmath::erf, vmath::erf, -4.5f, -1.0f},
        {"erf", vmath::erf, vmath::erf, inf, 1.0f},
        {"erf", vmath::erf, vmath::erf, -inf, -1.0f},
        {"erf", vmath::erf, vmath::erf, -0.0f, -0.0f},
        {"softplus", vmath::softplus, vmath::softplus, -inf, 0.0f},
        {"softplus", vmath::softplus, vmath::softplus, inf, inf},
        {"softplus", vmath::softplus, vmath::softplus, 1000.0f, 1000.0f},
        {"softplus", vmath::softplus, vmath::softplus, -200.0f, 0.0f},
        {"silu", vmath::silu, vmath::silu, inf, inf},
        {"silu", vmath::silu, vmath::silu, -0.0f, -0.0f},
        {"silu", vmath::silu, vmath::silu, 100.0f, 100.0f},
        {"geluErf", vmath::geluErf, vmath::geluErf, inf, inf},
        {"geluErf", vmath::geluErf, vmath::geluErf, 10.0f, 10.0f},
        {"geluTanh", vmath::geluTanh, vmath::geluTanh, 1e20f, 1e20f},
        {"geluTanh", vmath::geluTanh, vmath::geluTanh, -1e20f, -0.0f},
        {"geluSigmoid", vmath::geluSigmoid, vmath::geluSigmoid, 100.0f, 100.0f},
    };
    const auto same = [](float a, float b) {
        return (std::isnan(a) && std::isnan(b)) || std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "(" + std::to_string(c.x) + ")");
        float fromArray = 0.0f;
        c.array(std::span(&c.x, 1), std::span(&fromArray, 1));
        EXPECT_TRUE(same(c.element(c.x), c.expected)) << c.element(c.x) << " vs " << c.expected;
        EXPECT_TRUE(same(fromArray, c.expected)) << fromArray << " vs " << c.expected;
    }
    for (const auto& function : functions) {
        SCOPED_TRACE(function.name);
        float fromArray = 0.0f;
        function.array(std::span(&nan, 1), std::span(&fromArray, 1));
        EXPECT_TRUE(std::isnan(function.element(nan)));
        EXPECT_TRUE(std::isnan(fromArray));
    }
}

TEST(VectorMathTests, SoftmaxPiecesCoverWholeRowsOfAnyLength) {
    for (const std::size_t length : {0u, 1u, 15u, 16u, 17u, 1000u, 4099u}) {
        SCOPED_TRACE(length);
        std::vector<float> row(length);
        for (std::size_t i = 0; i < length; ++i) {
            row[i] = static_cast<float>((i * 7919) % 1013) * 0.05f - 25.0f;
        }
        const float expectedLargest = length == 0 ? -inf : *std::ranges::max_element(row);
        EXPECT_EQ(vmath::largestOf(row), expectedLargest);

        std::vector<float> out(length);
        const double sum = vmath::expShifted(row, out, expectedLargest);
        double expectedSum = 0.0;
        for (std::size_t i = 0; i < length; ++i) {
            const double exact = std::exp(static_cast<double>(row[i] - expectedLargest));
            EXPECT_LE(ulpError(out[i], exact, 0.0), 1.5) << i;
            expectedSum += out[i];
        }
        EXPECT_NEAR(sum, expectedSum, 1e-12 * std::max(1.0, expectedSum));

        const auto unscaled = out;
        vmath::scale(out, 0.5f);
        for (std::size_t i = 0; i < length; ++i) {
            EXPECT_EQ(out[i], unscaled[i] * 0.5f) << i;
        }
    }
    // NaN is passed over, as std::max passes it over; the last element lies past every full block of lanes.
    std::vector<float> row(33, -inf);
    row[3] = nan;
    row[32] = 7.0f;
    EXPECT_EQ(vmath::largestOf(row), 7.0f);
}

} // namespace
