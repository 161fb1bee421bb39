#include "Platform/Accel/Float16.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using platform::accel::floatToHalf;
using platform::accel::halfToFloat;

TEST(Float16, EncodesEdgeValuesWithRoundToNearestEven) {
    struct Case {
        float value;
        std::uint16_t bits;
    };
    const float smallestSubnormal = std::ldexp(1.0f, -24);
    const Case cases[] = {
        {0.0f, 0x0000},
        {-0.0f, 0x8000},
        {1.0f, 0x3C00},
        {-2.0f, 0xC000},
        {65504.0f, 0x7BFF},                               // largest finite
        {65519.0f, 0x7BFF},                               // below the midpoint to infinity
        {65520.0f, 0x7C00},                               // the midpoint rounds to even: infinity
        {1e9f, 0x7C00},
        {-1e9f, 0xFC00},
        {std::numeric_limits<float>::infinity(), 0x7C00},
        {-std::numeric_limits<float>::infinity(), 0xFC00},
        {std::ldexp(1.0f, -14), 0x0400},                  // smallest normal
        {smallestSubnormal, 0x0001},
        {std::ldexp(1.0f, -25), 0x0000},                  // half the smallest subnormal: tie to even 0
        {std::ldexp(1.5f, -25), 0x0001},                  // above that tie
        {std::ldexp(3.0f, -25), 0x0002},                  // 1.5 subnormals: tie to even 2
        {1e-8f, 0x0000},
        {1.0f + std::ldexp(1.0f, -11), 0x3C00},           // tie between 1 and its successor: even 1
        {1.0f + std::ldexp(3.0f, -11), 0x3C02},           // tie between successors 1 and 2: even 2
        {0.1f, 0x2E66},
    };
    for (const auto& c : cases) EXPECT_EQ(floatToHalf(c.value), c.bits) << c.value;
}

TEST(Float16, EveryHalfValueSurvivesARoundTrip) {
    for (std::uint32_t bits = 0; bits <= 0xFFFF; ++bits) {
        const auto half = static_cast<std::uint16_t>(bits);
        const float value = halfToFloat(half);
        const bool isNaN = (half & 0x7C00) == 0x7C00 && (half & 0x03FF) != 0;
        if (isNaN) {
            EXPECT_TRUE(std::isnan(value)) << bits;
            const auto back = floatToHalf(value);
            EXPECT_TRUE((back & 0x7C00) == 0x7C00 && (back & 0x03FF) != 0) << bits;
            EXPECT_EQ(back & 0x8000, half & 0x8000) << "sign of NaN " << bits;
        } else {
            EXPECT_EQ(floatToHalf(value), half) << bits;
        }
    }
    EXPECT_EQ(halfToFloat(0x0001), std::ldexp(1.0f, -24));
    EXPECT_EQ(halfToFloat(0x03FF), std::ldexp(1023.0f, -24));
    EXPECT_EQ(halfToFloat(0xFC00), -std::numeric_limits<float>::infinity());
}

TEST(Float16, BufferConversionsMatchScalarOnesAndCheckLengths) {
    const std::vector<float> values{0.5f, -3.25f, 70000.0f, 1e-6f, std::numeric_limits<float>::quiet_NaN()};
    std::vector<std::uint16_t> halves(values.size());
    platform::accel::convertFloatToHalf(values, halves);
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(halves[i], floatToHalf(values[i])) << i;

    std::vector<float> back(values.size());
    platform::accel::convertHalfToFloat(halves, back);
    EXPECT_EQ(back[0], 0.5f);
    EXPECT_EQ(back[1], -3.25f);
    EXPECT_TRUE(std::isinf(back[2]));
    EXPECT_TRUE(std::isnan(back[4]));

    std::vector<std::uint16_t> shortHalves(2);
    EXPECT_THROW(platform::accel::convertFloatToHalf(values, shortHalves), std::invalid_argument);
    EXPECT_THROW(platform::accel::convertHalfToFloat(shortHalves, back), std::invalid_argument);
}

} // namespace

// Long buffers take the vector path where the processor has one; every half
// value and a spread of floats (ties, subnormals, overflow) must convert as the
// scalar functions do.
TEST(Float16, LongBufferConversionsMatchScalarOnes) {
    std::vector<std::uint16_t> everyHalf(65536);
    for (std::size_t bits = 0; bits < everyHalf.size(); ++bits) everyHalf[bits] = static_cast<std::uint16_t>(bits);
    std::vector<float> widened(everyHalf.size());
    platform::accel::convertHalfToFloat(everyHalf, widened);
    for (std::size_t bits = 0; bits < everyHalf.size(); ++bits) {
        const float expected = halfToFloat(everyHalf[bits]);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(widened[bits])) << bits;
        } else {
            EXPECT_EQ(widened[bits], expected) << bits;
        }
    }

    std::vector<float> floats;
    for (int exponent = -30; exponent <= 17; ++exponent) {
        for (const float mantissa : {1.0f, 1.00048828125f, 1.000732421875f, 1.5f, 1.99951171875f, 1.999755859375f}) {
            floats.push_back(std::ldexp(mantissa, exponent));
            floats.push_back(-std::ldexp(mantissa, exponent));
        }
    }
    std::vector<std::uint16_t> narrowed(floats.size());
    platform::accel::convertFloatToHalf(floats, narrowed);
    for (std::size_t i = 0; i < floats.size(); ++i) EXPECT_EQ(narrowed[i], floatToHalf(floats[i])) << floats[i];
}
