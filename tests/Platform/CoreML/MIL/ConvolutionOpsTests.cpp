#include "tests/Platform/CoreML/MIL/LinearTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace lineartest;
using miltest::floats;
using miltest::ints;
using miltest::scalarBool;
using miltest::scalarInt;
using miltest::text;
using Ints = std::vector<std::int64_t>;

// Up to three spatial sizes, padded in front with 1s (and per-axis numbers with a default).
std::array<std::int64_t, 3> spatial(const Shape& shape, std::size_t from, std::int64_t fill = 1) {
    std::array<std::int64_t, 3> sizes{fill, fill, fill};
    const auto count = shape.size() - from;
    for (std::size_t i = 0; i < count; ++i) {
        sizes[3 - count + i] = shape[from + i];
    }
    return sizes;
}

std::array<std::int64_t, 3> perAxis(const Ints& values, std::size_t rank, std::int64_t fallback) {
    return spatial(values.empty() ? Ints(rank, fallback) : values, 0, 0);
}

// Where a window starts and how far outputs reach, per spatial axis.
struct Geometry {
    std::array<std::int64_t, 3> strides;
    std::array<std::int64_t, 3> dilations;
    std::array<std::int64_t, 3> padBefore;
    std::array<std::int64_t, 3> outputs;
};

Geometry geometryOf(std::size_t rank, const Ints& strides, const Ints& dilations, const Ints& padBefore,
                    const Shape& expected) {
    return {perAxis(strides, rank, 1), perAxis(dilations, rank, 1), perAxis(padBefore, rank, 0),
            spatial(expected, 2)};
}

std::size_t at(std::int64_t value) { return static_cast<std::size_t>(value); }

// A direct convolution: every output element sums its taps over the input
// channels of its group; taps in the padding read zero.
std::vector<float> referenceConv(const Tensor& x, const Tensor& w, const std::vector<float>& bias,
                                 std::int64_t groups, const Geometry& g) {
    const auto& xs = x.shape();
    const auto& ws = w.shape();
    const auto in = spatial(xs, 2);
    const auto k = spatial(ws, 2);
    const auto& o = g.outputs;
    const auto outChannels = ws[0];
    const auto inPer = ws[1];
    const auto outPer = outChannels / groups;
    const auto xv = x.floatValues();
    const auto wv = w.floatValues();
    std::vector<float> out;
    for (std::int64_t n = 0; n < xs[0]; ++n)
        for (std::int64_t oc = 0; oc < outChannels; ++oc)
            for (std::int64_t o0 = 0; o0 < o[0]; ++o0)
                for (std::int64_t o1 = 0; o1 < o[1]; ++o1)
                    for (std::int64_t o2 = 0; o2 < o[2]; ++o2) {
                        double sum = bias.empty() ? 0.0 : bias[at(oc)];
                        for (std::int64_t c = 0; c < inPer; ++c)
                            for (std::int64_t k0 = 0; k0 < k[0]; ++k0)
                                for (std::int64_t k1 = 0; k1 < k[1]; ++k1)
                                    for (std::int64_t k2 = 0; k2 < k[2]; ++k2) {
                                        const auto i0 = o0 * g.strides[0] + k0 * g.dilations[0] - g.padBefore[0];
                                        const auto i1 = o1 * g.strides[1] + k1 * g.dilations[1] - g.padBefore[1];
                                        const auto i2 = o2 * g.strides[2] + k2 * g.dilations[2] - g.padBefore[2];
                                        if (i0 < 0 || i0 >= in[0] || i1 < 0 || i1 >= in[1] || i2 < 0 || i2 >= in[2])
                                            continue;
                                        const auto ic = (oc / outPer) * inPer + c;
                                        const auto xi = (((n * xs[1] + ic) * in[0] + i0) * in[1] + i1) * in[2] + i2;
                                        const auto wi = (((oc * inPer + c) * k[0] + k0) * k[1] + k1) * k[2] + k2;
                                        sum += double(xv[at(xi)]) * wv[at(wi)];
                                    }
                        out.push_back(static_cast<float>(sum));
                    }
    return out;
}

struct ConvCase {
    std::string name;
    Shape x;
    Shape weight;
    std::int64_t groups;
    Ints strides;      // empty: not passed
    Ints dilations;    // empty: not passed
    std::string padType; // empty: not passed
    Ints pad;          // empty: not passed
    bool bias;
    Ints padBefore; // worked out by hand from the padding rules
    Shape expected; // likewise
};

std::vector<Arg> windowArgs(const Ints& strides, const Ints& dilations, const std::string& padType, const Ints& pad) {
    std::vector<Arg> args;
    const auto list = [](const Ints& values) {
        return ints({static_cast<std::int64_t>(values.size())}, std::vector<std::int32_t>(values.begin(), values.end()));
    };
    if (!strides.empty()) args.emplace_back("strides", list(strides));
    if (!dilations.empty()) args.emplace_back("dilations", list(dilations));
    if (!padType.empty()) args.emplace_back("pad_type", text(padType));
    if (!pad.empty()) args.emplace_back("pad", list(pad));
    return args;
}

TEST(ConvOpTest, MatchesDirectConvolution) {
    const std::vector<ConvCase> cases{
        {"1-D valid by default", {2, 3, 10}, {4, 3, 3}, 1, {}, {}, "", {}, false, {0}, {2, 4, 8}},
        {"1-D stride 2 dilation 2 custom pad", {1, 2, 11}, {3, 2, 3}, 1, {2}, {2}, "custom", {1, 2}, true, {1}, {1, 3, 5}},
        {"1-D same puts the odd pad after", {1, 2, 7}, {2, 2, 4}, 1, {2}, {}, "same", {}, true, {1}, {1, 2, 4}},
        {"1-D same_lower puts the odd pad before", {1, 2, 7}, {2, 2, 4}, 1, {2}, {}, "same_lower", {}, true, {2}, {1, 2, 4}},
        {"1-D same with dilation", {1, 2, 9}, {2, 2, 3}, 1, {}, {3}, "same", {}, false, {3}, {1, 2, 9}},
        {"custom pad ignored under valid", {1, 2, 9}, {2, 2, 3}, 1, {}, {}, "valid", {2, 2}, false, {0}, {1, 2, 7}},
        {"2-D same stride 2", {1, 3, 9, 8}, {5, 3, 3, 3}, 1, {2, 2}, {}, "same", {}, true, {1, 0}, {1, 5, 5, 4}},
        {"2-D same_lower stride 2", {1, 3, 9, 8}, {5, 3, 3, 3}, 1, {2, 2}, {}, "same_lower", {}, true, {1, 1}, {1, 5, 5, 4}},
        {"2-D asymmetric custom pad and dilation", {1, 2, 7, 6}, {3, 2, 3, 2}, 1, {}, {2, 1}, "custom", {1, 0, 0, 2}, true, {1, 0}, {1, 3, 4, 7}},
        {"2-D two groups", {2, 4, 6, 6}, {6, 2, 3, 3}, 2, {}, {}, "", {}, true, {0, 0}, {2, 6, 4, 4}},
        {"depthwise 1-D kernel 9 same", {1, 8, 20}, {8, 1, 9}, 8, {}, {}, "same", {}, true, {4}, {1, 8, 20}},
        {"depthwise two outputs per channel", {1, 3, 8, 8}, {6, 1, 3, 3}, 3, {2, 2}, {}, "custom", {1, 1, 1, 1}, true, {1, 1}, {1, 6, 4, 4}},
        {"depthwise 2-D dilated same_lower", {2, 4, 7, 7}, {4, 1, 3, 3}, 4, {}, {2, 2}, "same_lower", {}, false, {2, 2}, {2, 4, 7, 7}},
        {"one input channel, strided", {1, 1, 12, 10}, {4, 1, 3, 3}, 1, {2, 2}, {}, "", {}, true, {0, 0}, {1, 4, 5, 4}},
        {"one input channel read by many outputs", {1, 1, 9, 8}, {6, 1, 3, 3}, 1, {}, {}, "same", {}, true, {1, 1}, {1, 6, 9, 8}},
        {"pointwise", {2, 16, 5, 7}, {8, 16, 1, 1}, 1, {}, {}, "", {}, true, {0, 0}, {2, 8, 5, 7}},
        {"pointwise with stride", {1, 6, 5, 7}, {4, 6, 1, 1}, 1, {2, 2}, {}, "", {}, false, {0, 0}, {1, 4, 3, 4}},
        {"3-D custom pad", {1, 2, 4, 5, 6}, {3, 2, 2, 3, 2}, 1, {}, {}, "custom", {0, 1, 1, 0, 1, 1}, true, {0, 1, 1}, {1, 3, 4, 4, 7}},
        {"large, patches gathered in parallel", {1, 32, 40, 40}, {16, 32, 3, 3}, 1, {}, {}, "same", {}, true, {1, 1}, {1, 16, 40, 40}},
        {"many batch items side by side", {16, 4, 12}, {6, 4, 3}, 1, {}, {}, "custom", {1, 1}, true, {1}, {16, 6, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = randomTensor(c.x, 31);
        const auto weight = randomTensor(c.weight, 32);
        const auto bias = c.bias ? randomValues(c.weight[0], 33) : std::vector<float>{};
        auto args = windowArgs(c.strides, c.dilations, c.padType, c.pad);
        args.emplace_back("x", x);
        args.emplace_back("weight", weight);
        if (c.groups != 1) args.emplace_back("groups", scalarInt(c.groups));
        if (c.bias) args.emplace_back("bias", floats({c.weight[0]}, bias));
        const auto geometry = geometryOf(c.x.size() - 2, c.strides, c.dilations, c.padBefore, c.expected);
        expectClose(runOne("conv", args), c.expected, referenceConv(x, weight, bias, c.groups, geometry));
    }
}

TEST(ConvOpTest, WorkedStridedSameWindow) {
    auto args = windowArgs({2}, {}, "same", {});
    args.emplace_back("x", floats({1, 1, 5}, {1, 2, 3, 4, 5}));
    args.emplace_back("weight", floats({1, 1, 3}, {1, 1, 1}));
    args.emplace_back("bias", floats({1}, {0.5f}));
    // One element of padding on each side: windows [0,1,2], [2,3,4], [4,5,0].
    expectClose(runOne("conv", args), {1, 1, 3}, {3.5f, 9.5f, 9.5f});
}

TEST(ConvOpTest, TakesWeightAndBiasOfAnotherFloatType) {
    const auto x = randomTensor({1, 3, 6}, 34);
    const auto weight = randomTensor({2, 3, 2}, 35, DataType::fp16);
    const auto bias = randomValues(2, 36);
    const auto out = runOne("conv", {{"x", x}, {"weight", weight}, {"bias", floats({2}, bias, DataType::fp16)}});
    expectClose(out, {1, 2, 5}, referenceConv(x, weight, bias, 1, geometryOf(1, {}, {}, {}, {1, 2, 5})));
}

TEST(ConvOpTest, RejectsBadArguments) {
    const auto x = randomTensor({1, 3, 8}, 1);
    const auto conv = [&](Shape weight, std::vector<Arg> extra) {
        extra.emplace_back("x", x);
        extra.emplace_back("weight", randomTensor(weight, 2));
        return extra;
    };
    expectFailure("conv", conv({4, 2, 3}, {}), "takes 2 input channels per group, but x has 3 in 1 groups");
    expectFailure("conv", conv({4, 1, 3}, {{"groups", scalarInt(2)}}), "must divide the 3 input and 4 output channels");
    expectFailure("conv", conv({4, 3, 3}, windowArgs({}, {}, "custom", {1})), "\"pad\" needs 2 values");
    expectFailure("conv", conv({4, 3, 3}, windowArgs({}, {}, "custom", {-1, 0})), "cannot be negative");
    expectFailure("conv", conv({4, 3, 9}, {}), "does not fit an input of 8");
    expectFailure("conv", conv({4, 3, 3}, windowArgs({}, {}, "mirror", {})), "unknown pad_type \"mirror\"");
    expectFailure("conv", conv({4, 3, 3}, windowArgs({1, 1}, {}, "", {})), "\"strides\" needs 1 values");
    expectFailure("conv", conv({4, 3, 3}, windowArgs({0}, {}, "", {})), "must be at least 1");
    expectFailure("conv", conv({4, 3, 3, 3}, {}), "one kernel size per spatial axis");
    expectFailure("conv", conv({4, 3, 3}, {{"bias", randomTensor({3}, 3)}}), "4 values are needed");
    expectFailure("conv", {{"x", randomTensor({3, 8}, 1)}, {"weight", randomTensor({4, 3}, 2)}},
                  "1 to 3 spatial dimensions");
}

// The adjoint of a convolution: every input element adds its weighted taps to
// the output positions they reach; positions outside the output are dropped.
std::vector<float> referenceConvTranspose(const Tensor& x, const Tensor& w, const std::vector<float>& bias,
                                          std::int64_t groups, const Geometry& g) {
    const auto& xs = x.shape();
    const auto& ws = w.shape();
    const auto in = spatial(xs, 2);
    const auto k = spatial(ws, 2);
    const auto& o = g.outputs;
    const auto inPer = xs[1] / groups;
    const auto outPer = ws[1];
    const auto outChannels = outPer * groups;
    const auto plane = o[0] * o[1] * o[2];
    std::vector<float> out(at(xs[0] * outChannels * plane));
    for (std::int64_t n = 0; n < xs[0]; ++n)
        for (std::int64_t oc = 0; oc < outChannels; ++oc)
            std::fill_n(out.begin() + (n * outChannels + oc) * plane, plane, bias.empty() ? 0.0f : bias[at(oc)]);
    const auto xv = x.floatValues();
    const auto wv = w.floatValues();
    for (std::int64_t n = 0; n < xs[0]; ++n)
        for (std::int64_t ic = 0; ic < xs[1]; ++ic)
            for (std::int64_t i0 = 0; i0 < in[0]; ++i0)
                for (std::int64_t i1 = 0; i1 < in[1]; ++i1)
                    for (std::int64_t i2 = 0; i2 < in[2]; ++i2)
                        for (std::int64_t c = 0; c < outPer; ++c)
                            for (std::int64_t k0 = 0; k0 < k[0]; ++k0)
                                for (std::int64_t k1 = 0; k1 < k[1]; ++k1)
                                    for (std::int64_t k2 = 0; k2 < k[2]; ++k2) {
                                        const auto p0 = i0 * g.strides[0] + k0 * g.dilations[0] - g.padBefore[0];
                                        const auto p1 = i1 * g.strides[1] + k1 * g.dilations[1] - g.padBefore[1];
                                        const auto p2 = i2 * g.strides[2] + k2 * g.dilations[2] - g.padBefore[2];
                                        if (p0 < 0 || p0 >= o[0] || p1 < 0 || p1 >= o[1] || p2 < 0 || p2 >= o[2])
                                            continue;
                                        const auto oc = (ic / inPer) * outPer + c;
                                        const auto xi = (((n * xs[1] + ic) * in[0] + i0) * in[1] + i1) * in[2] + i2;
                                        const auto wi = (((ic * outPer + c) * k[0] + k0) * k[1] + k1) * k[2] + k2;
                                        const auto oi = (n * outChannels + oc) * plane + (p0 * o[1] + p1) * o[2] + p2;
                                        out[at(oi)] += xv[at(xi)] * wv[at(wi)];
                                    }
    return out;
}

struct TransposeCase {
    std::string name;
    Shape x;
    Shape weight;
    std::int64_t groups;
    Ints strides;
    Ints dilations;
    std::string padType;
    Ints pad;
    Ints outputShape; // empty: not passed
    Ints padBefore;   // worked out by hand
    Shape expected;   // likewise
};

TEST(ConvTransposeOpTest, MatchesScatteredTaps) {
    const std::vector<TransposeCase> cases{
        {"1-D stride 2 valid", {1, 3, 5}, {3, 2, 4}, 1, {2}, {}, "", {}, {}, {0}, {1, 2, 12}},
        {"1-D custom pad crops both ends", {1, 3, 5}, {3, 2, 4}, 1, {2}, {}, "custom", {1, 2}, {}, {1}, {1, 2, 9}},
        {"1-D same stride 2", {1, 3, 5}, {3, 2, 4}, 1, {2}, {}, "same", {}, {}, {1}, {1, 2, 10}},
        {"1-D same crops the odd element at the end", {1, 2, 4}, {2, 3, 4}, 1, {3}, {}, "same", {}, {}, {0}, {1, 3, 12}},
        {"1-D same_lower crops it at the start", {1, 2, 4}, {2, 3, 4}, 1, {3}, {}, "same_lower", {}, {}, {1}, {1, 3, 12}},
        {"1-D stride beyond the kernel, same", {1, 2, 4}, {2, 2, 2}, 1, {4}, {}, "same", {}, {}, {0}, {1, 2, 16}},
        {"2-D stride 2, output_shape larger", {1, 2, 3, 4}, {2, 3, 3, 3}, 1, {2, 2}, {}, "", {}, {1, 3, 8, 10}, {0, 0}, {1, 3, 8, 10}},
        {"2-D output_shape as spatial sizes, smaller", {1, 2, 3, 4}, {2, 3, 3, 3}, 1, {2, 2}, {}, "", {}, {6, 8}, {0, 0}, {1, 3, 6, 8}},
        {"2-D two groups and dilation", {2, 4, 4, 3}, {4, 1, 2, 2}, 2, {1, 2}, {2, 2}, "", {}, {}, {0, 0}, {2, 2, 6, 7}},
        {"many batch items side by side", {16, 3, 6}, {3, 2, 3}, 1, {2}, {}, "", {}, {}, {0}, {16, 2, 13}},
        {"large upsampling", {1, 64, 50}, {64, 32, 16}, 1, {8}, {}, "custom", {4, 4}, {}, {4}, {1, 32, 400}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = randomTensor(c.x, 41);
        const auto weight = randomTensor(c.weight, 42);
        const auto outChannels = c.weight[1] * c.groups;
        const auto bias = randomValues(outChannels, 43);
        auto args = windowArgs(c.strides, c.dilations, c.padType, c.pad);
        args.emplace_back("x", x);
        args.emplace_back("weight", weight);
        args.emplace_back("bias", floats({outChannels}, bias));
        if (c.groups != 1) args.emplace_back("groups", scalarInt(c.groups));
        if (!c.outputShape.empty()) {
            args.emplace_back("output_shape", ints({static_cast<std::int64_t>(c.outputShape.size())},
                                                   std::vector<std::int32_t>(c.outputShape.begin(), c.outputShape.end())));
        }
        const auto geometry = geometryOf(c.x.size() - 2, c.strides, c.dilations, c.padBefore, c.expected);
        expectClose(runOne("conv_transpose", args), c.expected,
                    referenceConvTranspose(x, weight, bias, c.groups, geometry));
    }
}

TEST(ConvTransposeOpTest, WorkedStrideTwo) {
    auto args = windowArgs({2}, {}, "", {});
    args.emplace_back("x", floats({1, 1, 2}, {1, 2}));
    args.emplace_back("weight", floats({1, 1, 3}, {1, 1, 1}));
    // x[0] reaches outputs 0..2, x[1] reaches 2..4.
    expectClose(runOne("conv_transpose", args), {1, 1, 5}, {1, 1, 3, 2, 2});
}

TEST(ConvTransposeOpTest, RejectsBadArguments) {
    const auto x = randomTensor({1, 4, 5}, 1);
    const auto transpose = [&](Shape weight, std::vector<Arg> extra) {
        extra.emplace_back("x", x);
        extra.emplace_back("weight", randomTensor(weight, 2));
        return extra;
    };
    expectFailure("conv_transpose", transpose({3, 2, 3}, {}), "is for 3 input channels, but x has 4");
    expectFailure("conv_transpose", transpose({4, 2, 3}, {{"groups", scalarInt(3)}}), "must divide the 4 input channels");
    expectFailure("conv_transpose", transpose({4, 2, 3}, windowArgs({}, {}, "custom", {1, 2, 3})), "\"pad\" needs 2 values");
    expectFailure("conv_transpose", transpose({4, 2, 3}, windowArgs({}, {}, "custom", {4, 4})),
                  "the output would have -1 elements");
    expectFailure("conv_transpose", transpose({4, 2, 3}, {{"output_shape", ints({2}, {1, 2})}}),
                  "\"output_shape\" needs 1 spatial sizes");
}

enum class Kind { average, maximum, l2 };

struct PoolCase {
    std::string name;
    std::string op;
    Shape x;
    std::vector<float> values;
    Ints kernel;
    Ints strides;
    std::string padType;
    Ints pad;
    bool ceilMode;
    bool excludePadding;
    Shape expected;
    std::vector<float> results; // worked out by hand
};

TEST(PoolingOpTest, WorkedWindows) {
    const std::vector<float> ramp{1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::vector<PoolCase> cases{
        {"max, stride 2, floor drops the last element", "max_pool", {1, 1, 5}, {1, 3, 2, 5, 4}, {2}, {2}, "", {}, false, false, {1, 1, 2}, {3, 5}},
        {"max, ceil_mode keeps a partial window", "max_pool", {1, 1, 5}, {1, 3, 2, 5, 4}, {2}, {2}, "", {}, true, false, {1, 1, 3}, {3, 5, 4}},
        {"max, ceil_mode drops a window starting in the end padding", "max_pool", {1, 1, 4}, {1, 2, 3, 4}, {3}, {2}, "custom", {0, 2}, true, false, {1, 1, 2}, {3, 4}},
        {"max ignores padding", "max_pool", {1, 1, 4}, {-1, -2, -3, -4}, {3}, {1}, "custom", {1, 1}, false, false, {1, 1, 4}, {-1, -1, -2, -3}},
        {"max, same with stride 2", "max_pool", {1, 1, 5}, {5, 1, 2, 8, 3}, {3}, {2}, "same", {}, false, false, {1, 1, 3}, {5, 8, 8}},
        {"average counts padding by default", "avg_pool", {1, 1, 4}, {1, 2, 3, 4}, {3}, {1}, "custom", {1, 1}, false, false, {1, 1, 4}, {1, 2, 3, 7.0f / 3}},
        {"average can exclude padding", "avg_pool", {1, 1, 4}, {1, 2, 3, 4}, {3}, {1}, "custom", {1, 1}, false, true, {1, 1, 4}, {1.5f, 2, 3, 3.5f}},
        {"average, ceil_mode divides by the part inside the input", "avg_pool", {1, 1, 3, 3}, ramp, {2, 2}, {2, 2}, "", {}, true, false, {1, 1, 2, 2}, {3, 4.5f, 7.5f, 9}},
        {"average, same_lower puts the odd pad before", "avg_pool", {1, 1, 4}, {2, 4, 6, 8}, {2}, {1}, "same_lower", {}, false, true, {1, 1, 4}, {2, 3, 5, 7}},
        {"l2 over 2-D windows", "l2_pool", {1, 1, 2, 4}, {3, 4, 0, 1, 0, 0, 2, 2}, {2, 2}, {2, 2}, "", {}, false, false, {1, 1, 1, 2}, {5, 3}},
        {"3-D max", "max_pool", {1, 1, 2, 2, 2}, {1, 8, 3, 4, 5, 6, 7, 2}, {2, 2, 2}, {}, "", {}, false, false, {1, 1, 1, 1, 1}, {8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = windowArgs(c.strides, {}, c.padType, c.pad);
        args.emplace_back("x", floats(c.x, c.values));
        args.emplace_back("kernel_sizes", ints({static_cast<std::int64_t>(c.kernel.size())},
                                               std::vector<std::int32_t>(c.kernel.begin(), c.kernel.end())));
        if (c.ceilMode) args.emplace_back("ceil_mode", scalarBool(true));
        if (c.excludePadding) args.emplace_back("exclude_padding_from_average", scalarBool(true));
        expectClose(runOne(c.op, args), c.expected, c.results);
    }
}

// Pooling as loops over every window, for random inputs over many planes.
std::vector<float> referencePool(const Tensor& x, Kind kind, std::array<std::int64_t, 2> k,
                                 std::array<std::int64_t, 2> s, std::array<std::int64_t, 2> padBefore,
                                 std::array<std::int64_t, 2> outputs) {
    const auto& xs = x.shape();
    const auto xv = x.floatValues();
    std::vector<float> out;
    for (std::int64_t plane = 0; plane < xs[0] * xs[1]; ++plane)
        for (std::int64_t o0 = 0; o0 < outputs[0]; ++o0)
            for (std::int64_t o1 = 0; o1 < outputs[1]; ++o1) {
                float sum = 0;
                float best = -std::numeric_limits<float>::infinity();
                for (std::int64_t k0 = 0; k0 < k[0]; ++k0)
                    for (std::int64_t k1 = 0; k1 < k[1]; ++k1) {
                        const auto i0 = o0 * s[0] + k0 - padBefore[0];
                        const auto i1 = o1 * s[1] + k1 - padBefore[1];
                        if (i0 < 0 || i0 >= xs[2] || i1 < 0 || i1 >= xs[3]) continue;
                        const float v = xv[at((plane * xs[2] + i0) * xs[3] + i1)];
                        sum += kind == Kind::l2 ? v * v : v;
                        best = std::max(best, v);
                    }
                out.push_back(kind == Kind::maximum ? best
                              : kind == Kind::l2    ? std::sqrt(sum)
                                                    : sum / static_cast<float>(k[0] * k[1]));
            }
    return out;
}

TEST(PoolingOpTest, MatchesLoopsOverManyPlanes) {
    const auto x = randomTensor({3, 20, 11, 13}, 51);
    const std::vector<std::pair<std::string, Kind>> ops{
        {"avg_pool", Kind::average}, {"max_pool", Kind::maximum}, {"l2_pool", Kind::l2}};
    for (const auto& [op, kind] : ops) {
        SCOPED_TRACE(op);
        // 11 + 1 + 1 - 3 = 10, / 2 -> 6 rows; 13 + 0 + 2 - 2 = 13, / 3 -> 5 columns.
        auto args = windowArgs({2, 3}, {}, "custom", {1, 1, 0, 2});
        args.emplace_back("x", x);
        args.emplace_back("kernel_sizes", ints({2}, {3, 2}));
        expectClose(runOne(op, args), {3, 20, 6, 5}, referencePool(x, kind, {3, 2}, {2, 3}, {1, 0}, {6, 5}));
    }
}

TEST(PoolingOpTest, RejectsBadWindows) {
    const auto x = randomTensor({1, 2, 6}, 1);
    expectFailure("max_pool", {{"x", x}, {"kernel_sizes", ints({2}, {2, 2})}}, "\"kernel_sizes\" needs 1 values");
    expectFailure("avg_pool", {{"x", x}, {"kernel_sizes", ints({1}, {7})}}, "does not fit an input of 6");
    expectFailure("l2_pool", {{"x", x}}, "\"kernel_sizes\" is missing");
}

} // namespace
