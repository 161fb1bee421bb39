#include "tests/Platform/CoreML/MIL/LinearTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using namespace lineartest;
using miltest::floats;
using miltest::scalarBool;
using miltest::text;

// x·Wᵀ + b over the last dimension of x, written as plain loops.
std::vector<float> referenceLinear(const Tensor& x, const Tensor& weight, const std::vector<float>& bias) {
    const auto inner = weight.shape()[1];
    const auto outer = weight.shape()[0];
    const auto rows = x.count() / inner;
    const auto xs = x.floatValues();
    const auto ws = weight.floatValues();
    std::vector<float> out;
    for (std::int64_t r = 0; r < rows; ++r) {
        for (std::int64_t o = 0; o < outer; ++o) {
            double sum = bias.empty() ? 0.0 : bias[static_cast<std::size_t>(o)];
            for (std::int64_t i = 0; i < inner; ++i) {
                sum += double(xs[static_cast<std::size_t>(r * inner + i)]) * ws[static_cast<std::size_t>(o * inner + i)];
            }
            out.push_back(static_cast<float>(sum));
        }
    }
    return out;
}

TEST(LinearOpTest, WorkedVectorWithBias) {
    const auto out = runOne("linear", {{"x", floats({3}, {1, 2, 3})},
                                       {"weight", floats({2, 3}, {1, 0, -1, 2, 1, 0})},
                                       {"bias", floats({2}, {0.5f, -1})}});
    expectClose(out, {2}, {-1.5f, 3.0f});
}

struct LinearCase {
    std::string name;
    Shape x;
    std::int64_t outputs;
    bool bias;
};

TEST(LinearOpTest, MatchesLoopsForEveryRank) {
    const std::vector<LinearCase> cases{
        {"rank 1 without bias", {7}, 5, false},
        {"rank 2", {6, 9}, 4, true},
        {"rank 3", {2, 5, 8}, 3, true},
        {"rank 4, leading dims fold into rows", {2, 3, 4, 5}, 6, true},
        {"tall rows split across threads", {4, 300, 128}, 200, true},
        {"one row, outputs split across threads", {1, 512}, 3000, true},
        {"few rows, many outputs", {2, 40, 256}, 1500, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = randomTensor(c.x, 1);
        const auto weight = randomTensor({c.outputs, c.x.back()}, 2);
        const auto bias = c.bias ? randomValues(c.outputs, 3) : std::vector<float>{};
        std::vector<Arg> args{{"x", x}, {"weight", weight}};
        if (c.bias) {
            args.emplace_back("bias", floats({c.outputs}, bias));
        }
        auto shape = c.x;
        shape.back() = c.outputs;
        expectClose(runOne("linear", args), shape, referenceLinear(x, weight, bias));
    }
}

TEST(LinearOpTest, AcceptsWeightsOfAnotherFloatType) {
    const auto x = randomTensor({3, 4}, 4);
    const auto weight = randomTensor({2, 4}, 5, DataType::fp16);
    expectClose(runOne("linear", {{"x", x}, {"weight", weight}}), {3, 2}, referenceLinear(x, weight, {}));
}

TEST(LinearOpTest, RejectsMismatchedArguments) {
    const auto x = randomTensor({2, 3}, 6);
    expectFailure("linear", {{"x", x}, {"weight", randomTensor({4, 5}, 7)}}, "does not end in the 5 inputs");
    expectFailure("linear", {{"x", x}, {"weight", randomTensor({3}, 7)}}, "weight must be [D_out, D_in]");
    expectFailure("linear", {{"x", x}, {"weight", randomTensor({4, 3}, 7)}, {"bias", randomTensor({3}, 8)}},
                  "\"bias\" has the shape [3] but 4 values are needed");
    expectFailure("linear", {{"x", miltest::ints({2, 3}, {1, 2, 3, 4, 5, 6})}, {"weight", randomTensor({4, 3}, 7)}},
                  "\"x\" must hold floats");
}

// NumPy matmul written index by index: vectors promoted, batch dims broadcast.
std::vector<float> referenceMatmul(const Tensor& x, const Tensor& y, bool tx, bool ty) {
    Shape xs = x.shape();
    Shape ys = y.shape();
    if (xs.size() == 1) {
        xs.insert(xs.begin(), 1);
        tx = false;
    }
    if (ys.size() == 1) {
        ys.push_back(1);
        ty = false;
    }
    const auto m = tx ? xs[xs.size() - 1] : xs[xs.size() - 2];
    const auto k = tx ? xs[xs.size() - 2] : xs[xs.size() - 1];
    const auto n = ty ? ys[ys.size() - 2] : ys[ys.size() - 1];
    const Shape xb(xs.begin(), xs.end() - 2);
    const Shape yb(ys.begin(), ys.end() - 2);
    const auto rank = std::max(xb.size(), yb.size());
    const auto dimOf = [&](const Shape& s, std::size_t aligned) {
        const auto missing = rank - s.size();
        return aligned < missing ? std::int64_t{1} : s[aligned - missing];
    };
    Shape batch(rank);
    for (std::size_t d = 0; d < rank; ++d) {
        batch[d] = std::max(dimOf(xb, d), dimOf(yb, d));
    }
    const auto xv = x.floatValues();
    const auto yv = y.floatValues();
    std::vector<float> out;
    for (std::int64_t b = 0; b < countOf(batch); ++b) {
        std::int64_t xFlat = 0;
        std::int64_t yFlat = 0;
        auto rest = b;
        std::vector<std::int64_t> coords(rank);
        for (std::size_t d = rank; d-- > 0;) {
            coords[d] = rest % batch[d];
            rest /= batch[d];
        }
        for (std::size_t d = 0; d < rank; ++d) {
            xFlat = xFlat * dimOf(xb, d) + (dimOf(xb, d) == 1 ? 0 : coords[d]);
            yFlat = yFlat * dimOf(yb, d) + (dimOf(yb, d) == 1 ? 0 : coords[d]);
        }
        for (std::int64_t i = 0; i < m; ++i) {
            for (std::int64_t j = 0; j < n; ++j) {
                double sum = 0;
                for (std::int64_t l = 0; l < k; ++l) {
                    const auto xi = xFlat * m * k + (tx ? l * m + i : i * k + l);
                    const auto yi = yFlat * k * n + (ty ? j * k + l : l * n + j);
                    sum += double(xv[static_cast<std::size_t>(xi)]) * yv[static_cast<std::size_t>(yi)];
                }
                out.push_back(static_cast<float>(sum));
            }
        }
    }
    return out;
}

struct MatmulCase {
    std::string name;
    Shape x;
    Shape y;
    bool transposeX;
    bool transposeY;
    Shape expected;
};

TEST(MatmulOpTest, FollowsNumpySemantics) {
    const std::vector<MatmulCase> cases{
        {"matrices", {3, 4}, {4, 5}, false, false, {3, 5}},
        {"transpose_x", {4, 3}, {4, 5}, true, false, {3, 5}},
        {"transpose_y", {3, 4}, {5, 4}, false, true, {3, 5}},
        {"both transposed", {4, 3}, {5, 4}, true, true, {3, 5}},
        {"vector times matrix", {4}, {4, 5}, false, false, {5}},
        {"matrix times vector", {3, 4}, {4}, false, false, {3}},
        {"vector times vector", {4}, {4}, false, false, {}},
        {"batch times vector", {2, 3, 4}, {4}, false, false, {2, 3}},
        {"vector times batch", {4}, {2, 4, 5}, false, false, {2, 5}},
        {"vectors ignore transposes", {4}, {4, 5}, true, false, {5}},
        {"batch dims broadcast both ways", {2, 1, 3, 4}, {3, 4, 5}, false, false, {2, 3, 3, 5}},
        {"one x for every y batch", {3, 4}, {5, 4, 6}, false, false, {5, 3, 6}},
        {"attention scores", {1, 4, 40, 16}, {1, 4, 40, 16}, false, true, {1, 4, 40, 40}},
        {"unbatched y under batched x", {2, 3, 50, 64}, {64, 70}, false, false, {2, 3, 50, 70}},
        {"unbatched y under transposed x", {2, 64, 50}, {64, 70}, true, false, {2, 50, 70}},
        {"heads fewer than threads", {1, 6, 200, 64}, {1, 6, 200, 64}, false, true, {1, 6, 200, 200}},
        {"tall product split into row blocks", {700, 96}, {96, 300}, false, false, {700, 300}},
        {"short rows, columns gathered", {40, 256}, {256, 3000}, false, false, {40, 3000}},
        {"transposed x split into tiles", {96, 700}, {96, 300}, true, false, {700, 300}},
        {"one row split by columns", {1, 512}, {2000, 512}, false, true, {1, 2000}},
        {"one row, columns gathered", {1, 512}, {512, 2000}, false, false, {1, 2000}},
        {"one row of a transposed x", {512, 1}, {512, 2000}, true, false, {1, 2000}},
        {"one row in each of many batches", {300, 1, 64}, {300, 64, 40}, false, false, {300, 1, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = randomTensor(c.x, 11);
        const auto y = randomTensor(c.y, 12);
        const auto out = runOne("matmul", {{"x", x},
                                           {"y", y},
                                           {"transpose_x", scalarBool(c.transposeX)},
                                           {"transpose_y", scalarBool(c.transposeY)}});
        expectClose(out, c.expected, referenceMatmul(x, y, c.transposeX, c.transposeY));
    }
}

TEST(MatmulOpTest, TransposesDefaultToFalse) {
    const auto out = runOne("matmul", {{"x", floats({2, 2}, {1, 2, 3, 4})}, {"y", floats({2, 1}, {5, 6})}});
    expectClose(out, {2, 1}, {17, 39});
}

TEST(MatmulOpTest, RejectsShapesThatDoNotMultiply) {
    expectFailure("matmul", {{"x", randomTensor({3, 4}, 1)}, {"y", randomTensor({5, 6}, 2)}}, "cannot be multiplied");
    expectFailure("matmul", {{"x", randomTensor({2, 3, 4}, 1)}, {"y", randomTensor({3, 4, 5}, 2)}}, "do not broadcast");
    expectFailure("matmul", {{"x", miltest::scalarFloat(2)}, {"y", randomTensor({3}, 2)}},
                  "at least one dimension");
}

// out[p, q, r, t] = Σ_s a[p, q, r, s] · b[p, s, r, t], as loops.
std::vector<float> referenceEinsum(const Tensor& a, const Tensor& b, const Shape& a4, std::int64_t t) {
    const auto [p, q, r, s] = std::array{a4[0], a4[1], a4[2], a4[3]};
    const auto av = a.floatValues();
    const auto bv = b.floatValues();
    std::vector<float> out;
    for (std::int64_t ip = 0; ip < p; ++ip) {
        for (std::int64_t iq = 0; iq < q; ++iq) {
            for (std::int64_t ir = 0; ir < r; ++ir) {
                for (std::int64_t it = 0; it < t; ++it) {
                    double sum = 0;
                    for (std::int64_t is = 0; is < s; ++is) {
                        sum += double(av[static_cast<std::size_t>(((ip * q + iq) * r + ir) * s + is)]) *
                               bv[static_cast<std::size_t>(((ip * s + is) * r + ir) * t + it)];
                    }
                    out.push_back(static_cast<float>(sum));
                }
            }
        }
    }
    return out;
}

struct EinsumCase {
    std::string name;
    std::string equation;
    Shape a;
    Shape b;
    Shape expected;
};

TEST(EinsumOpTest, ComputesBothPatternsUnderAnyLetters) {
    const std::vector<EinsumCase> cases{
        {"batched pattern", "nchw,nwhu->nchu", {2, 3, 4, 5}, {2, 5, 4, 6}, {2, 3, 4, 6}},
        {"batched pattern renamed", "abcd, adce -> abce", {1, 2, 3, 4}, {1, 4, 3, 2}, {1, 2, 3, 2}},
        {"unbatched pattern", "chw,whr->chr", {3, 4, 5}, {5, 4, 2}, {3, 4, 2}},
        {"unbatched pattern renamed", "xyz,zyk->xyk", {2, 3, 4}, {4, 3, 5}, {2, 3, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto a = randomTensor(c.a, 21);
        const auto b = randomTensor(c.b, 22);
        const auto out = runOne("einsum", {{"values", std::vector<Tensor>{a, b}}, {"equation", text(c.equation)}});
        Shape a4 = c.a;
        if (a4.size() == 3) {
            a4.insert(a4.begin(), 1);
        }
        expectClose(out, c.expected, referenceEinsum(a, b, a4, c.b.back()));
    }
}

TEST(EinsumOpTest, RejectsOtherEquationsAndShapes) {
    const auto a = randomTensor({3, 4, 5}, 1);
    const auto b = randomTensor({5, 4, 2}, 2);
    const std::vector<std::string> unsupported{"ij,jk->ik", "chw,hwr->chr", "chw,whr->crh", "chw,whc->chc", "chw,whr"};
    for (const auto& equation : unsupported) {
        SCOPED_TRACE(equation);
        expectFailure("einsum", {{"values", std::vector<Tensor>{a, b}}, {"equation", text(equation)}},
                      "are supported");
    }
    expectFailure("einsum",
                  {{"values", std::vector<Tensor>{a, randomTensor({5, 3, 2}, 3)}}, {"equation", text("chw,whr->chr")}},
                  "do not fit the equation");
    expectFailure("einsum", {{"values", std::vector<Tensor>{a}}, {"equation", text("chw,whr->chr")}},
                  "must hold two tensors");
}

} // namespace
