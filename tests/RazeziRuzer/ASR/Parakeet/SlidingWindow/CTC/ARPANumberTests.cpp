#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPANumber.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace razeziruzer;

namespace {

TEST(ARPANumber, ReadsWholeFieldsOnly) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    struct Case {
        const char* field;
        std::optional<float> expected;
    };
    const std::vector<Case> cases = {
        {"-1.5", -1.5f},      {"+2", 2.0f},          {"3e-2", 0.03f},      {".5", 0.5f},
        {"0x1p-1", 0.5f},     {"-0x1.8p1", -3.0f},   {"0X10", 16.0f},      {"inf", infinity},
        {"-Infinity", -infinity}, {"1e50", infinity}, {"-1e50", -infinity}, {"1e-50", 0.0f},
        {"", std::nullopt},   {" 1", std::nullopt},  {"1 ", std::nullopt}, {"--1", std::nullopt},
        {"+-1", std::nullopt}, {"0x", std::nullopt}, {"0x-1", std::nullopt}, {"1e", std::nullopt},
        {"1.5x", std::nullopt}, {"e5", std::nullopt}, {"-", std::nullopt}, {"hello", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseARPANumber(c.field), c.expected) << '"' << c.field << '"';
    }
    for (const char* field : {"nan", "NaN", "-nan"}) {
        const auto value = parseARPANumber(field);
        ASSERT_TRUE(value) << field;
        EXPECT_TRUE(std::isnan(*value)) << field;
    }
}

} // namespace
