#include "tests/Platform/CoreML/MIL/LinearTestSupport.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace lineartest;
using miltest::floats;
using miltest::ints;
using miltest::scalarFloat;
using miltest::scalarInt;

Tensor axesList(const std::vector<std::int32_t>& axes) {
    return ints({static_cast<std::int64_t>(axes.size())}, axes);
}

TEST(BatchNormOpTest, WorkedChannels) {
    // Channel 0: (x − 1) / 2 · 2 + 0; channel 1: (x − 3) / 0.5 · 1 + 1.
    const auto out = runOne("batch_norm", {{"x", floats({1, 2, 2}, {1, 2, 3, 4})},
                                           {"mean", floats({2}, {1, 3})},
                                           {"variance", floats({2}, {4, 0.25f})},
                                           {"gamma", floats({2}, {2, 1})},
                                           {"beta", floats({2}, {0, 1})},
                                           {"epsilon", scalarFloat(0)}});
    expectClose(out, {1, 2, 2}, {0, 1, 1, 3});
}

TEST(BatchNormOpTest, DefaultsAndRankFour) {
    // No gamma or beta; epsilon 1e-5 makes the variance 1 exactly.
    const auto out = runOne("batch_norm", {{"x", floats({2, 1, 1, 2}, {1, 2, 3, 4})},
                                           {"mean", floats({1}, {2})},
                                           {"variance", floats({1}, {1 - 1e-5f})}});
    expectClose(out, {2, 1, 1, 2}, {-1, 0, 1, 2}, 1e-5f);
}

TEST(BatchNormOpTest, RejectsBadArguments) {
    const auto x = randomTensor({1, 3, 4}, 1);
    expectFailure("batch_norm", {{"x", x}, {"mean", randomTensor({2}, 2)}, {"variance", randomTensor({3}, 3)}},
                  "\"mean\" has the shape [2] but 3 values are needed");
    expectFailure("batch_norm", {{"x", randomTensor({3, 4}, 1)}, {"mean", randomTensor({4}, 2)},
                                 {"variance", randomTensor({4}, 3)}},
                  "x must have rank 3 to 5");
}

// Population mean and variance over the elements `members(group)` lists, as loops.
std::vector<float> referenceNorm(const std::vector<float>& x, const std::vector<std::vector<std::size_t>>& groups,
                                 const std::vector<float>& gamma, const std::vector<float>& beta, float epsilon) {
    std::vector<float> out(x.size());
    for (const auto& members : groups) {
        double sum = 0;
        for (const auto i : members) sum += x[i];
        const double mean = sum / static_cast<double>(members.size());
        double squares = 0;
        for (const auto i : members) squares += (x[i] - mean) * (x[i] - mean);
        const double inverse = 1.0 / std::sqrt(squares / static_cast<double>(members.size()) + epsilon);
        for (std::size_t r = 0; r < members.size(); ++r) {
            const auto i = members[r];
            out[i] = static_cast<float>((x[i] - mean) * inverse * (gamma.empty() ? 1.0f : gamma[r]) +
                                        (beta.empty() ? 0.0f : beta[r]));
        }
    }
    return out;
}

TEST(LayerNormOpTest, WorkedLastAxis) {
    // Rows [1, 2, 3, 4] and [2, 2, 2, 2]: mean 2.5, variance 1.25; variance 0.
    const auto out = runOne("layer_norm", {{"x", floats({2, 4}, {1, 2, 3, 4, 2, 2, 2, 2})},
                                           {"axes", axesList({-1})},
                                           {"gamma", floats({4}, {1, 1, 2, 2})},
                                           {"beta", floats({4}, {0, 0, 0, 1})},
                                           {"epsilon", scalarFloat(0)}});
    const float unit = 1.0f / std::sqrt(1.25f);
    // The constant row divides 0 by 0 without epsilon.
    const auto values = out.floatValues();
    const std::vector<float> firstRow{-1.5f * unit, -0.5f * unit, 2 * 0.5f * unit, 2 * 1.5f * unit + 1};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(values[i], firstRow[i], 1e-5f) << i;
    }
    const auto steady = runOne("layer_norm", {{"x", floats({1, 3}, {2, 2, 2})}, {"axes", axesList({1})}});
    expectClose(steady, {1, 3}, {0, 0, 0});
}

struct LayerCase {
    std::string name;
    Shape x;
    std::vector<std::int32_t> axes; // empty: not passed (all axes)
    bool affine;
    // For each group of normalised elements, their flat indices in gamma's order.
    std::vector<std::vector<std::size_t>> (*groups)(const Shape&);
};

std::vector<std::vector<std::size_t>> lastAxis(const Shape& s) {
    std::vector<std::vector<std::size_t>> groups;
    const auto width = static_cast<std::size_t>(s.back());
    for (std::size_t row = 0; row < static_cast<std::size_t>(countOf(s)) / width; ++row) {
        groups.emplace_back();
        for (std::size_t j = 0; j < width; ++j) groups.back().push_back(row * width + j);
    }
    return groups;
}

std::vector<std::vector<std::size_t>> everything(const Shape& s) {
    std::vector<std::size_t> all(static_cast<std::size_t>(countOf(s)));
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    return {all};
}

// [B, C, 1, S] normalised over C for each (b, s).
std::vector<std::vector<std::size_t>> channelAxis(const Shape& s) {
    const auto [b, c, h, w] = std::array{s[0], s[1], s[2], s[3]};
    std::vector<std::vector<std::size_t>> groups;
    for (std::int64_t ib = 0; ib < b; ++ib)
        for (std::int64_t ih = 0; ih < h; ++ih)
            for (std::int64_t iw = 0; iw < w; ++iw) {
                groups.emplace_back();
                for (std::int64_t ic = 0; ic < c; ++ic)
                    groups.back().push_back(static_cast<std::size_t>(((ib * c + ic) * h + ih) * w + iw));
            }
    return groups;
}

// [A, B, C] normalised over A and C for each b.
std::vector<std::vector<std::size_t>> outerAxes(const Shape& s) {
    std::vector<std::vector<std::size_t>> groups;
    for (std::int64_t ib = 0; ib < s[1]; ++ib) {
        groups.emplace_back();
        for (std::int64_t ia = 0; ia < s[0]; ++ia)
            for (std::int64_t ic = 0; ic < s[2]; ++ic)
                groups.back().push_back(static_cast<std::size_t>((ia * s[1] + ib) * s[2] + ic));
    }
    return groups;
}

// [A, B, C] normalised over B and C for each a.
std::vector<std::vector<std::size_t>> trailingPair(const Shape& s) {
    return lastAxis({s[0], s[1] * s[2]});
}

TEST(LayerNormOpTest, MatchesLoopsOverAnyAxes) {
    const std::vector<LayerCase> cases{
        {"last axis", {3, 5, 8}, {-1}, true, lastAxis},
        {"last axis, many rows in parallel", {2048, 32}, {1}, true, lastAxis},
        {"all axes by default", {2, 3, 4}, {}, true, everything},
        {"trailing pair", {3, 4, 5}, {2, -2}, true, trailingPair},
        {"channel axis of [B, C, 1, S]", {2, 6, 1, 300}, {1}, true, channelAxis},
        {"channel axis without gamma and beta", {1, 5, 1, 7}, {1}, false, channelAxis},
        {"axes that are not adjacent", {3, 4, 5}, {0, 2}, true, outerAxes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = randomTensor(c.x, 61);
        const auto groups = c.groups(c.x);
        const auto size = static_cast<std::int64_t>(groups.front().size());
        const auto gamma = c.affine ? randomValues(size, 62) : std::vector<float>{};
        const auto beta = c.affine ? randomValues(size, 63) : std::vector<float>{};
        std::vector<Arg> args{{"x", x}};
        if (!c.axes.empty()) args.emplace_back("axes", axesList(c.axes));
        if (c.affine) {
            args.emplace_back("gamma", floats({size}, gamma));
            args.emplace_back("beta", floats({size}, beta));
        }
        const auto values = x.floatValues();
        expectClose(runOne("layer_norm", args), c.x,
                    referenceNorm({values.begin(), values.end()}, groups, gamma, beta, 1e-5f), 2e-4f);
    }
}

TEST(LayerNormOpTest, RejectsBadAxesAndScales) {
    const auto x = randomTensor({2, 3, 4}, 1);
    expectFailure("layer_norm", {{"x", x}, {"axes", axesList({-1})}, {"gamma", randomTensor({3}, 2)}},
                  "\"gamma\" has the shape [3] but 4 values are needed");
    expectFailure("layer_norm", {{"x", x}, {"axes", axesList({3})}}, "axis 3 is outside rank 3");
    expectFailure("layer_norm", {{"x", x}, {"axes", axesList({1, -2})}}, "names an axis twice");
}

TEST(InstanceNormOpTest, NormalisesEachChannelOfEachItem) {
    // Channel 0 of item 0 is [1, 2, 3, 4]: mean 2.5, variance 1.25, then scaled by 2 and shifted by 1.
    // Channel 0 of item 1 is [0, 4, 0, 4]: mean 2, variance 4. The constant last plane is left out.
    const auto x = floats({2, 2, 4}, {1, 2, 3, 4, 5, 5, 7, 7, 0, 4, 0, 4, 1, 1, 1, 1});
    const auto out = runOne("instance_norm", {{"x", x},
                                              {"gamma", floats({2}, {2, 1})},
                                              {"beta", floats({2}, {1, 0})},
                                              {"epsilon", scalarFloat(0.0)}});
    const float u = 1.0f / std::sqrt(1.25f);
    const auto values = out.floatValues();
    const std::vector<float> expected{1 - 3 * u, 1 - u, 1 + u, 1 + 3 * u, -1, -1, 1, 1, -1, 3, -1, 3};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(values[i], expected[i], 1e-5f) << i;
    }
    // A constant plane gives 0 / sqrt(0 + epsilon) with the default epsilon.
    const auto steady = runOne("instance_norm", {{"x", floats({1, 1, 2, 2}, {3, 3, 3, 3})}});
    expectClose(steady, {1, 1, 2, 2}, {0, 0, 0, 0});
}

TEST(L2NormOpTest, DividesByTheNormOfTheLastThreeAxes) {
    // Rank 4: groups of the last three axes, [3, 4, 0, 0] of norm 5 and [6, 8, 0, 0] of norm 10.
    const auto four =
        runOne("l2_norm", {{"x", floats({2, 2, 1, 2}, {3, 4, 0, 0, 6, 8, 0, 0})}, {"epsilon", scalarFloat(0)}});
    expectClose(four, {2, 2, 1, 2}, {0.6f, 0.8f, 0, 0, 0.6f, 0.8f, 0, 0});
    // Rank 2: every element together, norm 13.
    const auto two = runOne("l2_norm", {{"x", floats({2, 2}, {3, 4, 0, 12})}, {"epsilon", scalarFloat(0)}});
    expectClose(two, {2, 2}, {3.0f / 13, 4.0f / 13, 0, 12.0f / 13});
    // Epsilon keeps an all-zero group finite.
    const auto zero = runOne("l2_norm", {{"x", floats({1, 2}, {0, 0})}});
    expectClose(zero, {1, 2}, {0, 0});
}

TEST(LocalResponseNormOpTest, WorkedChannelWindows) {
    // Squares 1, 4, 9; odd size 3 reaches one channel each way; alpha/size = 1.
    const auto x = floats({1, 3, 1}, {1, 2, 3});
    const auto odd = runOne("local_response_norm",
                            {{"x", x}, {"size", scalarInt(3)}, {"alpha", scalarFloat(3)}, {"beta", scalarFloat(1)}});
    expectClose(odd, {1, 3, 1}, {1.0f / 6, 2.0f / 15, 3.0f / 14});
    // Even size 2 reaches one channel back; k and beta as given.
    const auto even = runOne("local_response_norm", {{"x", x},
                                                     {"size", scalarInt(2)},
                                                     {"alpha", scalarFloat(2)},
                                                     {"beta", scalarFloat(0.5)},
                                                     {"k", scalarFloat(2)}});
    expectClose(even, {1, 3, 1}, {1 / std::sqrt(3.0f), 2 / std::sqrt(7.0f), 3 / std::sqrt(15.0f)});
    expectFailure("local_response_norm", {{"x", x}, {"size", scalarInt(0)}}, "\"size\" must be at least 1");
}

} // namespace
