#include "Platform/CoreML/MLModelError.hpp"
#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <set>

namespace {

using namespace miltest;
using platform::coreml::MLModelError;
using platform::coreml::mil::StorageKind;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

std::string failureOf(const std::string& op, const std::vector<Arg>& args) {
    try {
        runKernel(op, args);
    } catch (const MLModelError& error) {
        return error.what();
    }
    return "";
}

std::vector<std::int32_t> intsOf(const Tensor& t) {
    const auto v = t.intValues();
    return {v.begin(), v.end()};
}

std::vector<float> floatsOf(const Tensor& t) {
    const auto v = t.floatValues();
    return {v.begin(), v.end()};
}

Tensor axesOf(const std::vector<std::int32_t>& axes) { return ints({static_cast<std::int64_t>(axes.size())}, axes); }

// Plain reference: result element of each input element found from its
// coordinates, then folded over the elements of each result in double.
std::vector<double> referenceReduction(const Shape& shape, const std::vector<float>& x, const std::set<std::size_t>& axes,
                                       const std::function<double(const std::vector<double>&)>& fold) {
    std::vector<std::vector<double>> groups;
    std::int64_t results = 1;
    for (std::size_t d = 0; d < shape.size(); ++d) {
        results *= axes.count(d) != 0 ? 1 : shape[d];
    }
    groups.resize(static_cast<std::size_t>(results));
    for (std::size_t i = 0; i < x.size(); ++i) {
        std::int64_t rest = static_cast<std::int64_t>(i);
        std::vector<std::int64_t> coordinates(shape.size());
        for (auto d = shape.size(); d-- > 0;) {
            coordinates[d] = rest % shape[d];
            rest /= shape[d];
        }
        std::int64_t result = 0;
        for (std::size_t d = 0; d < shape.size(); ++d) {
            if (axes.count(d) == 0) {
                result = result * shape[d] + coordinates[d];
            }
        }
        groups[static_cast<std::size_t>(result)].push_back(x[i]);
    }
    std::vector<double> out;
    for (const auto& group : groups) {
        out.push_back(fold(group));
    }
    return out;
}

double sumOf(const std::vector<double>& v, const std::function<double(double)>& f = [](double e) { return e; }) {
    double s = 0;
    for (const auto e : v) s += f(e);
    return s;
}

const std::vector<std::pair<const char*, std::function<double(const std::vector<double>&)>>>& references() {
    static const std::vector<std::pair<const char*, std::function<double(const std::vector<double>&)>>> table = {
        {"reduce_sum", [](const auto& v) { return sumOf(v); }},
        {"reduce_mean", [](const auto& v) { return sumOf(v) / static_cast<double>(v.size()); }},
        {"reduce_max", [](const auto& v) { return *std::max_element(v.begin(), v.end()); }},
        {"reduce_min", [](const auto& v) { return *std::min_element(v.begin(), v.end()); }},
        {"reduce_prod", [](const auto& v) { double p = 1; for (const auto e : v) p *= e; return p; }},
        {"reduce_sum_square", [](const auto& v) { return sumOf(v, [](double e) { return e * e; }); }},
        {"reduce_l1_norm", [](const auto& v) { return sumOf(v, [](double e) { return std::fabs(e); }); }},
        {"reduce_l2_norm", [](const auto& v) { return std::sqrt(sumOf(v, [](double e) { return e * e; })); }},
        {"reduce_log_sum", [](const auto& v) { return std::log(sumOf(v)); }},
        {"reduce_log_sum_exp", [](const auto& v) { return std::log(sumOf(v, [](double e) { return std::exp(e); })); }},
    };
    return table;
}

TEST(ReductionOpsTests, EveryReductionOverAxesKeepDimsAndNegativeAxes) {
    const Shape shape{2, 3, 4};
    std::vector<float> x(24);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = 0.25f + 0.125f * static_cast<float>((i * 7) % 11); // positive, so log_sum is defined
    }
    struct Case {
        const char* name;
        std::optional<std::vector<std::int32_t>> axes;
        bool keepDims;
        std::set<std::size_t> reduced;
        Shape shape;
    };
    const Case cases[] = {
        {"all by default", std::nullopt, false, {0, 1, 2}, {}},
        {"all by default kept", std::nullopt, true, {0, 1, 2}, {1, 1, 1}},
        {"last axis", std::vector<std::int32_t>{2}, false, {2}, {2, 3}},
        {"negative last axis kept", std::vector<std::int32_t>{-1}, true, {2}, {2, 3, 1}},
        {"middle axis", std::vector<std::int32_t>{1}, false, {1}, {2, 4}},
        {"first and last", std::vector<std::int32_t>{0, -1}, true, {0, 2}, {1, 3, 1}},
        {"first two, listed backwards", std::vector<std::int32_t>{-2, 0}, false, {0, 1}, {4}},
        {"every axis listed", std::vector<std::int32_t>{0, 1, 2}, false, {0, 1, 2}, {}},
        {"no axes", std::vector<std::int32_t>{}, false, {}, {2, 3, 4}},
    };
    for (const auto& [op, fold] : references()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(op) + ": " + c.name);
            std::vector<Arg> args{{"x", floats(shape, x)}};
            if (c.axes) {
                args.emplace_back("axes", axesOf(*c.axes));
            }
            if (c.keepDims) {
                args.emplace_back("keep_dims", scalarBool(true));
            }
            const auto out = one(op, args);
            EXPECT_EQ(out.shape(), c.shape);
            const auto expected = referenceReduction(shape, x, c.reduced, fold);
            const auto got = floatsOf(out);
            ASSERT_EQ(got.size(), expected.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_NEAR(got[i], expected[i], 1e-6 * std::max(1.0, std::fabs(expected[i]))) << "element " << i;
            }
        }
    }
}

TEST(ReductionOpsTests, LogSumExpStaysFiniteOnLargeValues) {
    const auto x = floats({2, 3}, {1000, 1000, 1000, -1000, -inf, -1000});
    const auto out = floatsOf(one("reduce_log_sum_exp", {{"x", x}, {"axes", axesOf({1})}}));
    EXPECT_NEAR(out[0], 1000 + std::log(3.0), 1e-3);
    EXPECT_NEAR(out[1], -1000 + std::log(2.0), 1e-3);
    const auto allMinusInfinity = floatsOf(one("reduce_log_sum_exp", {{"x", floats({2}, {-inf, -inf})}}));
    EXPECT_EQ(allMinusInfinity[0], -inf);
}

TEST(ReductionOpsTests, NaNWinsTheExtremes) {
    const auto x = floats({3}, {1, nan, 5});
    EXPECT_TRUE(std::isnan(one("reduce_max", {{"x", x}}).floatValues()[0]));
    EXPECT_TRUE(std::isnan(one("reduce_min", {{"x", x}}).floatValues()[0]));
}

TEST(ReductionOpsTests, IntegerInputsKeepExactResultsInteger) {
    const auto x = ints({2, 3}, {1, -2, 3, 4, 5, -6});
    const auto sum = one("reduce_sum", {{"x", x}, {"axes", axesOf({1})}});
    EXPECT_EQ(sum.dataType(), DataType::int32);
    EXPECT_EQ(intsOf(sum), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(intsOf(one("reduce_max", {{"x", x}, {"axes", axesOf({0})}})), (std::vector<std::int32_t>{4, 5, 3}));
    EXPECT_EQ(intsOf(one("reduce_l1_norm", {{"x", x}})), (std::vector<std::int32_t>{21}));
    // A mean of integers is real unless the program declares an integer result.
    EXPECT_FLOAT_EQ(one("reduce_mean", {{"x", ints({2}, {1, 2})}}).floatValues()[0], 1.5f);
    EXPECT_EQ(intsOf(one("reduce_mean", {{"x", ints({2}, {1, 2})}}, {tensorType(DataType::int32, {})})),
              (std::vector<std::int32_t>{1}));
}

TEST(ReductionOpsTests, BadAxesFailClearly) {
    const auto x = floats({2, 3}, {1, 2, 3, 4, 5, 6});
    const auto twice = failureOf("reduce_sum", {{"x", x}, {"axes", axesOf({1, -1})}});
    EXPECT_NE(twice.find("named twice"), std::string::npos) << twice;
    const auto outside = failureOf("reduce_mean", {{"x", x}, {"axes", axesOf({2})}});
    EXPECT_NE(outside.find("axis 2 is outside rank 2"), std::string::npos) << outside;
    const auto empty = failureOf("reduce_max", {{"x", floats({2, 0}, {})}, {"axes", axesOf({1})}});
    EXPECT_NE(empty.find("empty axis"), std::string::npos) << empty;
}

// Big reductions run in parallel (to one value in chunks, or across results).
TEST(ReductionOpsTests, LargeReductionsMatchAPlainLoop) {
    const Shape shape{400, 500};
    std::vector<float> x(200000);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = static_cast<float>((i * 37) % 101) - 50.0f;
    }
    double total = 0;
    for (const auto v : x) total += v;
    EXPECT_NEAR(one("reduce_sum", {{"x", floats(shape, x)}}).floatValues()[0], total, 1e-3);

    const auto rows = floatsOf(one("reduce_max", {{"x", floats(shape, x)}, {"axes", axesOf({0})}}));
    ASSERT_EQ(rows.size(), 500u);
    for (std::size_t col = 0; col < 500; ++col) {
        float top = -inf;
        for (std::size_t r = 0; r < 400; ++r) top = std::max(top, x[r * 500 + col]);
        ASSERT_EQ(rows[col], top) << col;
    }
}

// ---- argmax / argmin ---------------------------------------------------------------------

TEST(ReductionRankingTests, ArgExtremesPickTheFirstOfTies) {
    struct Case {
        const char* name;
        const char* op;
        std::vector<Arg> extra;
        Shape shape;
        std::vector<std::int32_t> expected;
    };
    // x [2, 3] = [[1, 5, 5], [7, 7, -2]]
    const std::vector<Case> cases = {
        {"argmax default last axis", "reduce_argmax", {}, {2}, {1, 0}},
        {"argmin default last axis", "reduce_argmin", {}, {2}, {0, 2}},
        {"argmax axis 0", "reduce_argmax", {{"axis", scalarInt(0)}}, {3}, {1, 1, 0}},
        {"argmin axis -2 kept", "reduce_argmin", {{"axis", scalarInt(-2)}, {"keep_dims", scalarBool(true)}}, {1, 3}, {0, 0, 1}},
        {"argmax kept", "reduce_argmax", {{"keep_dims", scalarBool(true)}}, {2, 1}, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.extra;
        args.insert(args.begin(), Arg{"x", floats({2, 3}, {1, 5, 5, 7, 7, -2})});
        const auto out = one(c.op, args);
        EXPECT_EQ(out.dataType(), DataType::int32);
        EXPECT_EQ(out.shape(), c.shape);
        EXPECT_EQ(intsOf(out), c.expected);
    }
    EXPECT_EQ(intsOf(one("reduce_argmax", {{"x", floats({4}, {1, nan, 9, nan})}})), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(intsOf(one("reduce_argmin", {{"x", ints({4}, {3, -1, -1, 0})}})), (std::vector<std::int32_t>{1}));
}

// ---- topk / argsort ------------------------------------------------------------------------

TEST(ReductionRankingTests, TopkKeepsLowerIndicesFirstOnTies) {
    struct Case {
        const char* name;
        std::vector<Arg> extra;
        Shape shape;
        std::vector<float> values;
        std::vector<std::int32_t> indices;
    };
    // x [2, 4] = [[3, 1, 3, 2], [0, 5, 5, 5]]
    const std::vector<Case> cases = {
        {"default k 1", {}, {2, 1}, {3, 5}, {0, 1}},
        {"k 3 descending", {{"k", scalarInt(3)}}, {2, 3}, {3, 3, 2, 5, 5, 5}, {0, 2, 3, 1, 2, 3}},
        {"k 2 ascending", {{"k", scalarInt(2)}, {"ascending", scalarBool(true)}}, {2, 2}, {1, 2, 0, 5}, {1, 3, 0, 1}},
        {"axis 0", {{"k", scalarInt(1)}, {"axis", scalarInt(0)}}, {1, 4}, {3, 5, 5, 5}, {0, 1, 1, 1}},
        {"axis -2 k 2 ascending", {{"k", scalarInt(2)}, {"axis", scalarInt(-2)}, {"ascending", scalarBool(true)}}, {2, 4},
         {0, 1, 3, 2, 3, 5, 5, 5}, {1, 0, 0, 0, 0, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.extra;
        args.insert(args.begin(), Arg{"x", floats({2, 4}, {3, 1, 3, 2, 0, 5, 5, 5})});
        const auto out = runKernel("topk", args);
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[0].shape(), c.shape);
        EXPECT_EQ(floatsOf(out[0]), c.values);
        EXPECT_EQ(out[1].dataType(), DataType::int32);
        EXPECT_EQ(intsOf(out[1]), c.indices);
    }
}

TEST(ReductionRankingTests, TopkOptionsAndErrors) {
    const auto x = ints({5}, {4, -1, 9, 4, 2});
    // Integer values stay integer; the index type follows output_indices_dtype.
    const auto out = runKernel("topk", {{"x", x}, {"k", scalarInt(3)}, {"output_indices_dtype", text("uint16")}});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].dataType(), DataType::int32);
    EXPECT_EQ(intsOf(out[0]), (std::vector<std::int32_t>{9, 4, 4}));
    EXPECT_EQ(out[1].dataType(), DataType::uint16);
    EXPECT_EQ(intsOf(out[1]), (std::vector<std::int32_t>{2, 0, 3}));

    // NaN ranks above every number, so it is first when descending, last when ascending.
    const auto withNaN = floats({4}, {1, nan, 3, 2});
    EXPECT_EQ(intsOf(runKernel("topk", {{"x", withNaN}, {"k", scalarInt(4)}})[1]), (std::vector<std::int32_t>{1, 2, 3, 0}));
    EXPECT_EQ(intsOf(runKernel("topk", {{"x", withNaN}, {"k", scalarInt(4)}, {"ascending", scalarBool(true)}})[1]),
              (std::vector<std::int32_t>{0, 3, 2, 1}));

    const auto valuesOnly = runKernel("topk", {{"x", x}, {"return_indices", scalarBool(false)}});
    EXPECT_EQ(valuesOnly.size(), 1u);

    for (const auto k : {6, -1}) {
        SCOPED_TRACE(k);
        const auto message = failureOf("topk", {{"x", x}, {"k", scalarInt(k)}});
        EXPECT_NE(message.find("outside an axis of 5 elements"), std::string::npos) << message;
    }
    const auto badType = failureOf("topk", {{"x", x}, {"output_indices_dtype", text("fp32")}});
    EXPECT_NE(badType.find("indices cannot be of type \"fp32\""), std::string::npos) << badType;
}

TEST(ReductionRankingTests, ArgsortIsStable) {
    struct Case {
        const char* name;
        std::vector<Arg> extra;
        std::vector<std::int32_t> expected;
    };
    // x [2, 4] = [[2, 1, 2, 1], [5, 5, 5, 4]]
    const std::vector<Case> cases = {
        {"default descending last axis", {}, {0, 2, 1, 3, 0, 1, 2, 3}},
        {"ascending", {{"ascending", scalarBool(true)}}, {1, 3, 0, 2, 3, 0, 1, 2}},
        {"axis 0 descending", {{"axis", scalarInt(0)}}, {1, 1, 1, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.extra;
        args.insert(args.begin(), Arg{"x", floats({2, 4}, {2, 1, 2, 1, 5, 5, 5, 4})});
        const auto out = one("argsort", args);
        EXPECT_EQ(out.shape(), (Shape{2, 4}));
        EXPECT_EQ(intsOf(out), c.expected);
    }
}

// ---- cumsum ------------------------------------------------------------------------------

TEST(ReductionScanTests, CumsumVariants) {
    struct Case {
        const char* name;
        std::vector<Arg> extra;
        std::vector<float> expected;
    };
    // x [2, 3] = [[1, 2, 3], [4, 5, 6]]
    const std::vector<Case> cases = {
        {"default axis 0", {}, {1, 2, 3, 5, 7, 9}},
        {"axis 1", {{"axis", scalarInt(1)}}, {1, 3, 6, 4, 9, 15}},
        {"axis -1 exclusive", {{"axis", scalarInt(-1)}, {"exclusive", scalarBool(true)}}, {0, 1, 3, 0, 4, 9}},
        {"axis 1 reverse", {{"axis", scalarInt(1)}, {"reverse", scalarBool(true)}}, {6, 5, 3, 15, 11, 6}},
        {"axis 1 exclusive reverse", {{"axis", scalarInt(1)}, {"exclusive", scalarBool(true)}, {"reverse", scalarBool(true)}},
         {5, 3, 0, 11, 6, 0}},
        {"axis 0 exclusive reverse", {{"exclusive", scalarBool(true)}, {"reverse", scalarBool(true)}}, {4, 5, 6, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.extra;
        args.insert(args.begin(), Arg{"x", floats({2, 3}, {1, 2, 3, 4, 5, 6})});
        const auto out = one("cumsum", args);
        EXPECT_EQ(out.shape(), (Shape{2, 3}));
        EXPECT_EQ(floatsOf(out), c.expected);
    }
    const auto onInts = one("cumsum", {{"x", ints({3}, {5, -2, 7})}, {"exclusive", scalarBool(true)}});
    EXPECT_EQ(onInts.dataType(), DataType::int32);
    EXPECT_EQ(intsOf(onInts), (std::vector<std::int32_t>{0, 5, 3}));
    const auto message = failureOf("cumsum", {{"x", floats({3}, {1, 2, 3})}, {"axis", scalarInt(1)}});
    EXPECT_NE(message.find("axis 1 is outside rank 1"), std::string::npos) << message;
}

} // namespace
