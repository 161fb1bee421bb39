#include "Platform/CoreML/MIL/Ops/Broadcasting.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>

namespace {

using namespace miltest;
using platform::coreml::MLModelError;
using platform::coreml::mil::Broadcast;
using platform::coreml::mil::broadcastShape;
using platform::coreml::mil::elementCount;
using platform::coreml::mil::StorageKind;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

// Runs the call and returns the error's text, or "" when it did not fail.
std::string failureOf(const std::string& op, const std::vector<Arg>& args, const std::vector<ValueType>& results = {}) {
    try {
        runKernel(op, args, results);
    } catch (const MLModelError& error) {
        return error.what();
    }
    return "";
}

void expectFloats(const Tensor& actual, const std::vector<float>& expected, float tolerance = 1e-6f) {
    ASSERT_EQ(actual.kind(), StorageKind::float32);
    ASSERT_EQ(actual.count(), static_cast<std::int64_t>(expected.size()));
    const auto values = actual.floatValues();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (std::isnan(expected[i])) {
            EXPECT_TRUE(std::isnan(values[i])) << "element " << i;
        } else if (std::isinf(expected[i])) {
            EXPECT_EQ(values[i], expected[i]) << "element " << i;
        } else {
            EXPECT_NEAR(values[i], expected[i], tolerance * std::max(1.0f, std::fabs(expected[i]))) << "element " << i;
        }
    }
}

std::vector<std::int32_t> intsOf(const Tensor& t) {
    const auto v = t.intValues();
    return {v.begin(), v.end()};
}

std::vector<std::uint8_t> boolsOf(const Tensor& t) {
    const auto v = t.boolValues();
    return {v.begin(), v.end()};
}

std::vector<float> iotaFloats(std::int64_t count, float scale = 1.0f, float offset = 0.0f) {
    std::vector<float> values(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = offset + scale * static_cast<float>(i % 1000);
    }
    return values;
}

// ---- Broadcasting helper ---------------------------------------------------------------

TEST(BroadcastingTests, ResultShapesFollowNumpyRules) {
    struct Case {
        const char* name;
        std::vector<Shape> shapes;
        std::optional<Shape> expected;
    };
    const Case cases[] = {
        {"scalar with tensor", {{}, {2, 3}}, Shape{2, 3}},
        {"column with row", {{3, 1}, {1, 4}}, Shape{3, 4}},
        {"lower rank gains leading ones", {{2, 3, 4}, {4}}, Shape{2, 3, 4}},
        {"ones on both sides", {{2, 1, 4}, {3, 1}}, Shape{2, 3, 4}},
        {"three operands", {{2, 1, 1}, {1, 3, 1}, {4}}, Shape{2, 3, 4}},
        {"zero size stretches from one", {{0, 1}, {1, 5}}, Shape{0, 5}},
        {"mismatch", {{2, 3}, {4}}, std::nullopt},
        {"mismatch in leading dim", {{2, 3}, {3, 3}}, std::nullopt},
        {"zero against two", {{0}, {2}}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(broadcastShape(c.shapes), c.expected);
    }
    EXPECT_EQ(broadcastShape(Shape{5, 1}, Shape{1, 7}), (Shape{5, 7}));
}

// Every result element's offsets, found by runs, match a plain per-index computation.
TEST(BroadcastingTests, RunsVisitEveryElementAtItsOperandOffsets) {
    struct Case {
        const char* name;
        std::vector<Shape> shapes;
    };
    const Case cases[] = {
        {"same shapes merge into one run", {{2, 3, 4}, {2, 3, 4}}},
        {"row broadcast", {{3, 4}, {4}}},
        {"column broadcast", {{3, 4}, {3, 1}}},
        {"outer product", {{3, 1}, {1, 4}}},
        {"middle axis broadcast", {{2, 3, 4}, {2, 1, 4}, {3, 1}}},
        {"scalars", {{}, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto plan = Broadcast::of(c.shapes);
        ASSERT_TRUE(plan.has_value());
        const auto& shape = plan->shape();
        // Plain reference: each operand offset from the result's coordinates.
        const auto reference = [&](std::size_t k, std::int64_t index) {
            const auto& operand = c.shapes[k];
            std::int64_t offset = 0;
            std::int64_t stride = 1;
            for (std::size_t back = 0; back < operand.size(); ++back) {
                const auto d = shape.size() - 1 - back;
                std::int64_t rest = index;
                for (std::size_t e = shape.size() - 1; e > d; --e) {
                    rest /= shape[e];
                }
                const auto coordinate = rest % shape[d];
                const auto size = operand[operand.size() - 1 - back];
                offset += (size == 1 ? 0 : coordinate) * stride;
                stride *= size;
            }
            return offset;
        };
        // Visit from an odd starting point too, as a parallel chunk would.
        for (const std::int64_t begin : {std::int64_t{0}, plan->count() / 3}) {
            std::int64_t next = begin;
            plan->forEachRun(begin, plan->count(), [&](std::int64_t index, std::int64_t length, auto offsets, auto steps) {
                EXPECT_EQ(index, next);
                for (std::int64_t j = 0; j < length; ++j) {
                    for (std::size_t k = 0; k < c.shapes.size(); ++k) {
                        EXPECT_EQ(offsets[k] + j * steps[k], reference(k, index + j)) << "operand " << k << " element " << index + j;
                        EXPECT_EQ(plan->offset(k, index + j), reference(k, index + j));
                    }
                }
                next = index + length;
            });
            EXPECT_EQ(next, plan->count());
        }
    }
}

// ---- Binary arithmetic ------------------------------------------------------------------

TEST(ElementwiseBinaryTests, AddBroadcastsNumpyStyle) {
    struct Case {
        const char* name;
        Tensor x;
        Tensor y;
        Shape shape;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"scalar with tensor", scalarFloat(10), floats({2, 2}, {1, 2, 3, 4}), {2, 2}, {11, 12, 13, 14}},
        {"column with row", floats({3, 1}, {10, 20, 30}), floats({1, 4}, {1, 2, 3, 4}), {3, 4},
         {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34}},
        {"rank mismatch", floats({2, 3}, {0, 10, 20, 30, 40, 50}), floats({3}, {1, 2, 3}), {2, 3}, {1, 12, 23, 31, 42, 53}},
        {"both sides stretch", floats({2, 1, 2}, {100, 200, 300, 400}), floats({3, 1}, {1, 2, 3}), {2, 3, 2},
         {101, 201, 102, 202, 103, 203, 301, 401, 302, 402, 303, 403}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto out = one("add", {{"x", c.x}, {"y", c.y}});
        EXPECT_EQ(out.shape(), c.shape);
        expectFloats(out, c.expected);
    }
}

TEST(ElementwiseBinaryTests, IncompatibleShapesFailNamingThem) {
    const auto message = failureOf("mul", {{"x", floats({2, 3}, {1, 2, 3, 4, 5, 6})}, {"y", floats({2}, {1, 2})}});
    EXPECT_NE(message.find("mul"), std::string::npos) << message;
    EXPECT_NE(message.find("[2, 3] and [2] do not broadcast"), std::string::npos) << message;
}

// Large operands run in parallel chunks; every layout must still match a plain loop.
TEST(ElementwiseBinaryTests, LargeBroadcastsMatchAPlainLoop) {
    struct Case {
        const char* name;
        Shape x;
        Shape y;
    };
    const Case cases[] = {
        {"same shape", {300, 257}, {300, 257}},
        {"row", {300, 257}, {257}},
        {"column", {300, 257}, {300, 1}},
        {"outer product", {300, 1}, {1, 257}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = floats(c.x, iotaFloats(elementCount(c.x), 0.5f));
        const auto y = floats(c.y, iotaFloats(elementCount(c.y), 0.25f, 1.0f));
        const auto out = one("sub", {{"x", x}, {"y", y}});
        ASSERT_EQ(out.shape(), (Shape{300, 257}));
        const auto xv = x.floatValues();
        const auto yv = y.floatValues();
        const auto ov = out.floatValues();
        for (std::int64_t r = 0; r < 300; ++r) {
            for (std::int64_t col = 0; col < 257; ++col) {
                const auto xi = (c.x[0] == 1 ? 0 : r) * (c.x.back() == 1 ? 1 : 257) + (c.x.back() == 1 ? 0 : col);
                const auto yi = c.y.size() == 1 ? col : (c.y[0] == 1 ? 0 : r) * (c.y.back() == 1 ? 1 : 257) + (c.y.back() == 1 ? 0 : col);
                ASSERT_EQ(ov[static_cast<std::size_t>(r * 257 + col)], xv[static_cast<std::size_t>(xi)] - yv[static_cast<std::size_t>(yi)])
                    << r << "," << col;
            }
        }
    }
}

TEST(ElementwiseBinaryTests, FloatArithmeticFollowsNumpy) {
    struct Case {
        const char* op;
        std::vector<float> x;
        std::vector<float> y;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"sub", {5, -1}, {7, -1}, {-2, 0}},
        {"mul", {1.5f, -2}, {4, 3}, {6, -6}},
        {"real_div", {1, -3, 1}, {4, 2, 0}, {0.25f, -1.5f, inf}},
        {"floor_div", {7, -7, 7, -7, 7.5f}, {2, 2, -2, -2, 2}, {3, -4, -4, 3, 3}},
        {"mod", {7, -7, 7, -7, 5.5f, 6}, {3, 3, -3, -3, 2, 3}, {1, 2, -2, -1, 1.5f, 0}},
        {"pow", {2, 9, 2, -2}, {10, 0.5f, -1, 3}, {1024, 3, 0.5f, -8}},
        {"maximum", {1, 5, nan, 2}, {3, 4, 1, nan}, {3, 5, nan, nan}},
        {"minimum", {1, 5, nan, 2}, {3, 4, 1, nan}, {1, 4, nan, nan}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        const Shape shape{static_cast<std::int64_t>(c.x.size())};
        expectFloats(one(c.op, {{"x", floats(shape, c.x)}, {"y", floats(shape, c.y)}}), c.expected);
    }
}

TEST(ElementwiseBinaryTests, IntegerArithmeticStaysIntegerAndRoundsTowardMinusInfinity) {
    struct Case {
        const char* op;
        std::vector<std::int32_t> x;
        std::vector<std::int32_t> y;
        std::vector<std::int32_t> expected;
    };
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto highest = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {
        {"add", {1, highest}, {2, 1}, {3, lowest}},
        {"sub", {1, lowest}, {2, 1}, {-1, highest}},
        {"mul", {-3, 65536}, {4, 65536}, {-12, 0}},
        {"floor_div", {7, -7, 7, -7, 6, -6, lowest}, {2, 2, -2, -2, -3, 3, -1}, {3, -4, -4, 3, -2, -2, lowest}},
        {"mod", {7, -7, 7, -7, -6, lowest}, {3, 3, -3, -3, 3, -1}, {1, 2, -2, -1, 0, 0}},
        {"pow", {2, -3, 5, 7}, {10, 3, 0, 1}, {1024, -27, 1, 7}},
        {"maximum", {-1, 4}, {-2, 9}, {-1, 9}},
        {"minimum", {-1, 4}, {-2, 9}, {-2, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        const Shape shape{static_cast<std::int64_t>(c.x.size())};
        const auto out = one(c.op, {{"x", ints(shape, c.x)}, {"y", ints(shape, c.y)}});
        EXPECT_EQ(out.dataType(), DataType::int32);
        EXPECT_EQ(intsOf(out), c.expected);
    }
}

TEST(ElementwiseBinaryTests, IntegerResultsTakeTheDeclaredIntegerType) {
    const auto out = one("add", {{"x", ints({2}, {1, 2}, DataType::int16)}, {"y", ints({2}, {3, 4}, DataType::int16)}},
                         {tensorType(DataType::int16, {2})});
    EXPECT_EQ(out.dataType(), DataType::int16);
    EXPECT_EQ(intsOf(out), (std::vector<std::int32_t>{4, 6}));
}

TEST(ElementwiseBinaryTests, IntegerDivisionByZeroFailsClearly) {
    struct Case {
        const char* name;
        const char* op;
        std::vector<ValueType> results;
    };
    const Case cases[] = {
        {"floor_div", "floor_div", {}},
        {"mod", "mod", {}},
        {"real_div declared integer", "real_div", {tensorType(DataType::int32, {3})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto message = failureOf(c.op, {{"x", ints({3}, {4, 5, 6})}, {"y", ints({1}, {0})}}, c.results);
        EXPECT_NE(message.find("integer division by zero"), std::string::npos) << message;
    }
    const auto negativePower = failureOf("pow", {{"x", ints({2}, {2, 3})}, {"y", ints({2}, {1, -1})}});
    EXPECT_NE(negativePower.find("negative powers"), std::string::npos) << negativePower;
}

TEST(ElementwiseBinaryTests, RealDivisionOfIntegersIsRealUnlessDeclaredInteger) {
    const auto x = ints({3}, {7, -7, 1});
    const auto y = ints({3}, {2, 2, 0});
    expectFloats(one("real_div", {{"x", x}, {"y", y}}), {3.5f, -3.5f, inf});
    const auto truncated = one("real_div", {{"x", x}, {"y", ints({3}, {2, 2, 3})}}, {tensorType(DataType::int32, {3})});
    EXPECT_EQ(intsOf(truncated), (std::vector<std::int32_t>{3, -3, 0}));
}

TEST(ElementwiseBinaryTests, MixedFloatWidthsAndIntegersComputeInFloat) {
    // fp16 inputs hold fp16-representable floats; the result is computed in float.
    const auto half = floats({2}, {0.5f, 1.25f}, DataType::fp16);
    const auto out = one("mul", {{"x", half}, {"y", floats({2}, {0.1f, 3})}});
    EXPECT_EQ(out.kind(), StorageKind::float32);
    expectFloats(out, {0.05f, 3.75f});
    expectFloats(one("add", {{"x", ints({2}, {1, 2})}, {"y", scalarFloat(0.5)}}), {1.5f, 2.5f});
}

// ---- Comparisons, logic, select ------------------------------------------------------------

TEST(ElementwiseBinaryTests, ComparisonsGiveBools) {
    struct Case {
        const char* op;
        std::vector<std::uint8_t> expected;
    };
    // x = [1, 2, 3] against y = 2 and a NaN: NaN compares unequal to everything.
    const Case cases[] = {
        {"equal", {0, 1, 0, 0}},   {"not_equal", {1, 0, 1, 1}}, {"less", {1, 0, 0, 0}},
        {"less_equal", {1, 1, 0, 0}}, {"greater", {0, 0, 1, 0}},  {"greater_equal", {0, 1, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        const auto out = one(c.op, {{"x", floats({4}, {1, 2, 3, nan})}, {"y", scalarFloat(2)}});
        EXPECT_EQ(out.dataType(), DataType::boolean);
        EXPECT_EQ(boolsOf(out), c.expected);
        const auto onInts = one(c.op, {{"x", ints({3}, {1, 2, 3})}, {"y", ints({1}, {2})}});
        EXPECT_EQ(boolsOf(onInts), std::vector<std::uint8_t>(c.expected.begin(), c.expected.begin() + 3));
    }
}

TEST(ElementwiseBinaryTests, LogicalOpsBroadcastBools) {
    const auto x = bools({2, 1}, {1, 0});
    const auto y = bools({1, 2}, {1, 0});
    EXPECT_EQ(boolsOf(one("logical_and", {{"x", x}, {"y", y}})), (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(boolsOf(one("logical_or", {{"x", x}, {"y", y}})), (std::vector<std::uint8_t>{1, 1, 1, 0}));
    EXPECT_EQ(boolsOf(one("logical_xor", {{"x", x}, {"y", y}})), (std::vector<std::uint8_t>{0, 1, 1, 0}));
    EXPECT_EQ(boolsOf(one("logical_not", {{"x", x}})), (std::vector<std::uint8_t>{0, 1}));
}

TEST(ElementwiseBinaryTests, SelectBroadcastsAllThreeArguments) {
    // cond [2,1], a [1,3], b scalar.
    const auto out = one("select", {{"cond", bools({2, 1}, {1, 0})}, {"a", floats({1, 3}, {1, 2, 3})}, {"b", scalarFloat(-1)}});
    EXPECT_EQ(out.shape(), (Shape{2, 3}));
    expectFloats(out, {1, 2, 3, -1, -1, -1});

    // The idiom that wraps negative gather indices: select(idx < 0, idx + n, idx).
    const auto idx = ints({4}, {-1, 0, 2, -4});
    const auto negative = one("less", {{"x", idx}, {"y", scalarInt(0)}});
    const auto wrapped = one("add", {{"x", idx}, {"y", scalarInt(4)}});
    const auto picked = one("select", {{"cond", negative}, {"a", wrapped}, {"b", idx}});
    EXPECT_EQ(picked.dataType(), DataType::int32);
    EXPECT_EQ(intsOf(picked), (std::vector<std::int32_t>{3, 0, 2, 0}));

    const auto message = failureOf("select", {{"cond", bools({2}, {1, 0})}, {"a", floats({3}, {1, 2, 3})}, {"b", scalarFloat(0)}});
    EXPECT_NE(message.find("do not broadcast"), std::string::npos) << message;
}

// ---- cast, clip, threshold --------------------------------------------------------------------

TEST(ElementwiseConversionTests, CastTruncatesSaturatesAndLabels) {
    struct Case {
        const char* dtype;
        std::vector<float> input;
        DataType type;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"int32", {-2.7f, 2.7f, nan, 3e10f, -3e10f}, DataType::int32, {-2, 2, 0, 2147483647, -2147483648.0}},
        {"int8", {300.7f, -300, -7.9f}, DataType::int8, {127, -128, -7}},
        {"uint8", {-5, 255.9f, 256}, DataType::uint8, {0, 255, 255}},
        {"int16", {40000, -40000}, DataType::int16, {32767, -32768}},
        {"uint16", {-1, 70000}, DataType::uint16, {0, 65535}},
        {"int64", {-5.5f}, DataType::int64, {-5}},
        {"fp16", {0.1f, 65519, 1e-8f}, DataType::fp16, {0.0999755859375, 65504, 0}},
        {"fp32", {0.1f}, DataType::fp32, {0.1f}},
        {"fp64", {0.1f}, DataType::fp64, {0.1f}},
        {"bool", {0, -0.0f, 2, nan}, DataType::boolean, {0, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dtype);
        const auto out = one("cast", {{"x", floats({static_cast<std::int64_t>(c.input.size())}, c.input)}, {"dtype", text(c.dtype)}});
        EXPECT_EQ(out.dataType(), c.type);
        ASSERT_EQ(out.count(), static_cast<std::int64_t>(c.expected.size()));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(out.numberAt(static_cast<std::int64_t>(i)), c.expected[i]) << "element " << i;
        }
    }
}

TEST(ElementwiseConversionTests, CastFromIntegersAndBools) {
    EXPECT_EQ(intsOf(one("cast", {{"x", ints({3}, {-200, 5, 200})}, {"dtype", text("int8")}})),
              (std::vector<std::int32_t>{-128, 5, 127}));
    expectFloats(one("cast", {{"x", bools({2}, {1, 0})}, {"dtype", text("fp32")}}), {1, 0});
    EXPECT_EQ(boolsOf(one("cast", {{"x", ints({3}, {0, -3, 1})}, {"dtype", text("bool")}})), (std::vector<std::uint8_t>{0, 1, 1}));
}

TEST(ElementwiseConversionTests, CastToAnUnsupportedTypeFails) {
    for (const char* name : {"string", "bf16", "float", ""}) {
        SCOPED_TRACE(name);
        const auto message = failureOf("cast", {{"x", scalarFloat(1)}, {"dtype", text(name)}});
        EXPECT_NE(message.find("cannot cast to"), std::string::npos) << message;
    }
}

TEST(ElementwiseConversionTests, ClipAndThreshold) {
    const auto x = floats({5}, {-3, -1, 0.5f, 2, 9});
    expectFloats(one("clip", {{"x", x}, {"alpha", scalarFloat(-1)}, {"beta", scalarFloat(2)}}), {-1, -1, 0.5f, 2, 2});
    expectFloats(one("threshold", {{"x", x}, {"alpha", scalarFloat(0.5)}}), {0.5f, 0.5f, 0.5f, 2, 9});
    const auto message = failureOf("clip", {{"x", x}, {"alpha", scalarFloat(3)}, {"beta", scalarFloat(2)}});
    EXPECT_NE(message.find("above beta"), std::string::npos) << message;
}

TEST(ElementwiseConversionTests, IdentityPassesAnyValue) {
    const auto x = ints({2}, {4, 5}, DataType::int16);
    const auto out = one("identity", {{"x", x}});
    EXPECT_EQ(out.dataType(), DataType::int16);
    EXPECT_EQ(intsOf(out), (std::vector<std::int32_t>{4, 5}));
}

// ---- Unary math --------------------------------------------------------------------------

double sigmoidOf(double v) { return 1.0 / (1.0 + std::exp(-v)); }

TEST(ElementwiseUnaryTests, EveryOpMatchesTheStandardFunction) {
    struct Case {
        const char* op;
        std::function<double(double)> reference;
        std::vector<float> points;
    };
    const std::vector<float> wide{-3.5f, -1, -0.25f, 0, 0.5f, 2, 4.75f};
    const std::vector<float> unit{-0.9f, -0.5f, 0, 0.3f, 0.99f};
    const std::vector<float> positive{0.01f, 0.5f, 1, 2.5f, 100};
    const std::vector<Case> cases = {
        {"relu", [](double v) { return std::max(v, 0.0); }, wide},
        {"relu6", [](double v) { return std::clamp(v, 0.0, 6.0); }, {-2, 3, 6, 7.5f}},
        {"sigmoid", sigmoidOf, wide},
        {"tanh", [](double v) { return std::tanh(v); }, wide},
        {"silu", [](double v) { return v * sigmoidOf(v); }, wide},
        {"softplus", [](double v) { return std::log(1 + std::exp(v)); }, wide},
        {"softsign", [](double v) { return v / (1 + std::fabs(v)); }, wide},
        {"erf", [](double v) { return std::erf(v); }, wide},
        {"exp", [](double v) { return std::exp(v); }, wide},
        {"exp2", [](double v) { return std::exp2(v); }, wide},
        {"sqrt", [](double v) { return std::sqrt(v); }, positive},
        {"abs", [](double v) { return std::fabs(v); }, wide},
        {"sign", [](double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }, wide},
        {"sin", [](double v) { return std::sin(v); }, wide},
        {"cos", [](double v) { return std::cos(v); }, wide},
        {"tan", [](double v) { return std::tan(v); }, {-1.2f, -0.3f, 0, 0.7f, 1.5f}},
        {"asin", [](double v) { return std::asin(v); }, unit},
        {"acos", [](double v) { return std::acos(v); }, unit},
        {"atan", [](double v) { return std::atan(v); }, wide},
        {"atanh", [](double v) { return std::atanh(v); }, unit},
        {"sinh", [](double v) { return std::sinh(v); }, wide},
        {"cosh", [](double v) { return std::cosh(v); }, wide},
        {"floor", [](double v) { return std::floor(v); }, wide},
        {"ceil", [](double v) { return std::ceil(v); }, wide},
        {"square", [](double v) { return v * v; }, wide},
        {"log", [](double v) { return std::log(v); }, positive},
        {"rsqrt", [](double v) { return 1 / std::sqrt(v); }, positive},
        {"inverse", [](double v) { return 1 / (v + 1e-4); }, {-2, 0.5f, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        std::vector<float> expected;
        for (const auto p : c.points) {
            expected.push_back(static_cast<float>(c.reference(p)));
        }
        expectFloats(one(c.op, {{"x", floats({static_cast<std::int64_t>(c.points.size())}, c.points)}}), expected, 2e-6f);
    }
}

TEST(ElementwiseUnaryTests, RoundsHalvesToEvenLikeNumpy) {
    const auto out = one("round", {{"x", floats({9}, {0.5f, 1.5f, 2.5f, -0.5f, -1.5f, -2.5f, 2.4f, 2.6f, -2.6f})}});
    expectFloats(out, {0, 2, 2, -0.0f, -2, -2, 2, 3, -3});
}

TEST(ElementwiseUnaryTests, EpsilonsAreAddedInsideTheFunction) {
    const auto zero = floats({1}, {0});
    // log(0 + 1e-45): the default epsilon keeps log finite (1e-45 is a float subnormal).
    expectFloats(one("log", {{"x", zero}}), {std::log(1e-45f)});
    expectFloats(one("log", {{"x", floats({1}, {1})}, {"epsilon", scalarFloat(1)}}), {std::log(2.0f)});
    expectFloats(one("rsqrt", {{"x", zero}}), {1e6f});
    expectFloats(one("rsqrt", {{"x", floats({1}, {3})}, {"epsilon", scalarFloat(1)}}), {0.5f});
    expectFloats(one("inverse", {{"x", zero}}), {1e4f});
    expectFloats(one("inverse", {{"x", floats({1}, {1})}, {"epsilon", scalarFloat(1)}}), {0.5f});
}

TEST(ElementwiseUnaryTests, SigmoidAndSoftplusStayFiniteOnLargeInputs) {
    const auto x = floats({4}, {-1000, -100, 100, 1000});
    expectFloats(one("sigmoid", {{"x", x}}), {0, static_cast<float>(sigmoidOf(-100)), 1, 1});
    expectFloats(one("softplus", {{"x", x}}), {0, static_cast<float>(std::exp(-100.0)), 100, 1000});
    expectFloats(one("silu", {{"x", x}}), {-0.0f, static_cast<float>(-100 * sigmoidOf(-100)), 100, 1000});
}

TEST(ElementwiseUnaryTests, IntegerInputsKeepTheirTypeWhereTheResultIsExact) {
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    struct Case {
        const char* op;
        std::vector<std::int32_t> expected;
    };
    const std::vector<std::int32_t> input{-3, 0, 5, lowest};
    const Case cases[] = {
        {"abs", {3, 0, 5, lowest}}, {"sign", {-1, 0, 1, -1}},  {"square", {9, 0, 25, 0}},
        {"relu", {0, 0, 5, 0}},     {"floor", input},         {"round", input},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        const auto out = one(c.op, {{"x", ints({4}, input)}});
        EXPECT_EQ(out.dataType(), DataType::int32);
        EXPECT_EQ(intsOf(out), c.expected);
    }
    // Functions without integer results compute in float.
    expectFloats(one("sqrt", {{"x", ints({2}, {4, 9})}}), {2, 3});
}

TEST(ElementwiseUnaryTests, TextInputFailsClearly) {
    const auto message = failureOf("exp", {{"x", text("hello")}});
    EXPECT_NE(message.find("must hold numbers"), std::string::npos) << message;
}

// ---- Activations -----------------------------------------------------------------------------

TEST(ElementwiseActivationTests, ParameterisedActivationsAndTheirDefaults) {
    struct Case {
        const char* name;
        const char* op;
        std::vector<Arg> parameters;
        std::function<double(double)> reference;
    };
    const std::vector<float> points{-4, -1, -0.5f, 0, 0.5f, 1, 3};
    const std::vector<Case> cases = {
        {"leaky_relu default alpha", "leaky_relu", {}, [](double v) { return v >= 0 ? v : 0.01 * v; }},
        {"leaky_relu alpha", "leaky_relu", {{"alpha", scalarFloat(0.2)}}, [](double v) { return v >= 0 ? v : 0.2 * v; }},
        {"elu default alpha", "elu", {}, [](double v) { return v > 0 ? v : std::exp(v) - 1; }},
        {"elu alpha", "elu", {{"alpha", scalarFloat(2)}}, [](double v) { return v > 0 ? v : 2 * (std::exp(v) - 1); }},
        {"clamped_relu", "clamped_relu", {{"alpha", scalarFloat(0.1)}, {"beta", scalarFloat(2)}},
         [](double v) { return std::min(2.0, v >= 0 ? v : 0.1 * v); }},
        {"thresholded_relu default", "thresholded_relu", {}, [](double v) { return v > 1 ? v : 0; }},
        {"thresholded_relu alpha", "thresholded_relu", {{"alpha", scalarFloat(-0.75)}}, [](double v) { return v > -0.75 ? v : 0; }},
        {"scaled_tanh default", "scaled_tanh", {}, [](double v) { return std::tanh(v); }},
        {"scaled_tanh", "scaled_tanh", {{"alpha", scalarFloat(2)}, {"beta", scalarFloat(0.5)}},
         [](double v) { return 2 * std::tanh(0.5 * v); }},
        {"sigmoid_hard default", "sigmoid_hard", {}, [](double v) { return std::clamp(0.2 * v + 0.5, 0.0, 1.0); }},
        {"sigmoid_hard", "sigmoid_hard", {{"alpha", scalarFloat(0.5)}, {"beta", scalarFloat(0.25)}},
         [](double v) { return std::clamp(0.5 * v + 0.25, 0.0, 1.0); }},
        {"linear_activation default", "linear_activation", {}, [](double v) { return v; }},
        {"linear_activation", "linear_activation", {{"alpha", scalarFloat(-2)}, {"beta", scalarFloat(3)}},
         [](double v) { return -2 * v + 3; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.parameters;
        args.insert(args.begin(), Arg{"x", floats({static_cast<std::int64_t>(points.size())}, points)});
        std::vector<float> expected;
        for (const auto p : points) {
            expected.push_back(static_cast<float>(c.reference(p)));
        }
        expectFloats(one(c.op, args), expected, 2e-6f);
    }
}

TEST(ElementwiseActivationTests, GeluModes) {
    struct Case {
        const char* name;
        std::optional<std::string> mode;
        std::function<double(double)> reference;
    };
    const std::vector<Case> cases = {
        {"default is exact", std::nullopt, [](double v) { return 0.5 * v * (1 + std::erf(v / std::sqrt(2.0))); }},
        {"EXACT", "EXACT", [](double v) { return 0.5 * v * (1 + std::erf(v / std::sqrt(2.0))); }},
        {"TANH_APPROXIMATION", "TANH_APPROXIMATION",
         [](double v) { return 0.5 * v * (1 + std::tanh(std::sqrt(2 / std::numbers::pi) * (v + 0.044715 * v * v * v))); }},
        {"SIGMOID_APPROXIMATION", "SIGMOID_APPROXIMATION", [](double v) { return v * sigmoidOf(1.702 * v); }},
    };
    const std::vector<float> points{-3, -1, -0.3f, 0, 0.7f, 1, 2.5f};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Arg> args{{"x", floats({7}, points)}};
        if (c.mode) {
            args.emplace_back("mode", text(*c.mode));
        }
        std::vector<float> expected;
        for (const auto p : points) {
            expected.push_back(static_cast<float>(c.reference(p)));
        }
        expectFloats(one("gelu", args), expected, 2e-6f);
    }
    const auto message = failureOf("gelu", {{"x", scalarFloat(1)}, {"mode", text("FAST")}});
    EXPECT_NE(message.find("unknown mode \"FAST\""), std::string::npos) << message;
}

TEST(ElementwiseActivationTests, PerChannelParametersFollowAxisOne) {
    // x [1, 2, 3]: channel 0 holds -1, 2, -3; channel 1 holds 4, -5, 6.
    const auto x = floats({1, 2, 3}, {-1, 2, -3, 4, -5, 6});
    const auto alpha = floats({2}, {0.5f, 0.1f});
    expectFloats(one("prelu", {{"x", x}, {"alpha", alpha}}), {-0.5f, 2, -1.5f, 4, -0.5f, 6});

    const auto beta = floats({2}, {1, 2});
    const auto softplus = [](double a, double b, double v) { return static_cast<float>(a * std::log1p(std::exp(b * v))); };
    expectFloats(one("softplus_parametric", {{"x", x}, {"alpha", alpha}, {"beta", beta}}),
                 {softplus(0.5, 1, -1), softplus(0.5, 1, 2), softplus(0.5, 1, -3), softplus(0.1, 2, 4), softplus(0.1, 2, -5),
                  softplus(0.1, 2, 6)});

    const auto wrongCount = failureOf("prelu", {{"x", x}, {"alpha", floats({3}, {1, 2, 3})}});
    EXPECT_NE(wrongCount.find("3 values for 2 channels"), std::string::npos) << wrongCount;
    const auto noChannels = failureOf("prelu", {{"x", floats({2}, {1, 2})}, {"alpha", floats({2}, {1, 2})}});
    EXPECT_NE(noChannels.find("channel axis"), std::string::npos) << noChannels;
}

TEST(ElementwiseActivationTests, SoftmaxIsStableAlongAnyAxis) {
    // Plain reference in double along one axis of a [2, 3] tensor.
    const auto reference = [](const std::vector<double>& x, bool alongRows) {
        std::vector<float> out(6);
        for (int line = 0; line < (alongRows ? 2 : 3); ++line) {
            const auto at = [&](int j) { return alongRows ? line * 3 + j : j * 3 + line; };
            const int n = alongRows ? 3 : 2;
            double top = -INFINITY;
            for (int j = 0; j < n; ++j) top = std::max(top, x[static_cast<std::size_t>(at(j))]);
            double sum = 0;
            for (int j = 0; j < n; ++j) sum += std::exp(x[static_cast<std::size_t>(at(j))] - top);
            for (int j = 0; j < n; ++j) out[static_cast<std::size_t>(at(j))] = static_cast<float>(std::exp(x[static_cast<std::size_t>(at(j))] - top) / sum);
        }
        return out;
    };
    struct Case {
        const char* name;
        std::vector<double> values;
        std::optional<std::int64_t> axis;
        bool alongRows;
    };
    const Case cases[] = {
        {"default last axis", {1, 2, 3, 0, 0, 0}, std::nullopt, true},
        {"large values", {1000, 1001, 1002, -1000, 500, 1000}, std::nullopt, true},
        {"axis 0", {1, 2, 3, 4, 5, 7}, 0, false},
        {"axis -2", {1000, -3, 88, 1001, 2, 90}, -2, false},
        {"axis 1", {-1000, -1001, -1002, 3, 3, 3}, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> input(c.values.begin(), c.values.end());
        std::vector<Arg> args{{"x", floats({2, 3}, input)}};
        if (c.axis) {
            args.emplace_back("axis", scalarInt(*c.axis));
        }
        expectFloats(one("softmax", args), reference(c.values, c.alongRows), 1e-6f);
    }
    const auto message = failureOf("softmax", {{"x", floats({2}, {1, 2})}, {"axis", scalarInt(1)}});
    EXPECT_NE(message.find("axis 1 is outside rank 1"), std::string::npos) << message;
}

TEST(ElementwiseActivationTests, LargeSoftmaxRunsInParallelAndMatches) {
    // 600 lines of 300: big enough to be split across the pool.
    const Shape shape{600, 300};
    const auto values = iotaFloats(elementCount(shape), 0.01f);
    const auto out = one("softmax", {{"x", floats(shape, values)}});
    const auto got = out.floatValues();
    for (std::size_t line = 0; line < 600; ++line) {
        double top = -INFINITY;
        double sum = 0;
        for (std::size_t j = 0; j < 300; ++j) top = std::max(top, static_cast<double>(values[line * 300 + j]));
        for (std::size_t j = 0; j < 300; ++j) sum += std::exp(values[line * 300 + j] - top);
        for (std::size_t j = 0; j < 300; ++j) {
            ASSERT_NEAR(got[line * 300 + j], std::exp(values[line * 300 + j] - top) / sum, 1e-7) << line << "," << j;
        }
    }
}

TEST(ElementwiseActivationTests, SoftmaxAlongALeadingAxisCoversEveryLine) {
    // [3, 5, 300] along axis 1: 900 lines of 5, 300 apart; the lines go in
    // bands of neighbours, here a full band and a part band per outer block.
    const Shape shape{3, 5, 300};
    const auto values = randomFloats(static_cast<std::size_t>(elementCount(shape)), 7, 30.0f);
    const auto softmax = one("softmax", {{"x", floats(shape, values)}, {"axis", scalarInt(1)}});
    const auto logSoftmax = one("log_softmax", {{"x", floats(shape, values)}, {"axis", scalarInt(1)}});
    for (std::size_t outer = 0; outer < 3; ++outer) {
        for (std::size_t column = 0; column < 300; ++column) {
            const auto at = [&](std::size_t j) { return (outer * 5 + j) * 300 + column; };
            double top = -INFINITY;
            for (std::size_t j = 0; j < 5; ++j) top = std::max(top, static_cast<double>(values[at(j)]));
            double sum = 0;
            for (std::size_t j = 0; j < 5; ++j) sum += std::exp(values[at(j)] - top);
            for (std::size_t j = 0; j < 5; ++j) {
                const double shifted = values[at(j)] - top;
                ASSERT_NEAR(softmax.floatValues()[at(j)], std::exp(shifted) / sum, 1e-6) << outer << "," << j << "," << column;
                ASSERT_NEAR(logSoftmax.floatValues()[at(j)], shifted - std::log(sum), 1e-5) << outer << "," << j << "," << column;
            }
        }
    }
}

TEST(ElementwiseActivationTests, LogSoftmaxIsTheLogarithmOfSoftmaxAndStaysFinite) {
    // Values far apart: exp of the small ones underflows, their logarithm must not.
    const auto x = floats({2, 3}, {1000.0f, 0.0f, -1000.0f, 1.0f, 2.0f, 3.0f});
    const auto alongRows = one("log_softmax", {{"x", x}});
    const auto got = alongRows.floatValues();
    const std::vector<float> expected{0.0f, -1000.0f, -2000.0f, 1.0f - 3.40760596f, 2.0f - 3.40760596f, 3.0f - 3.40760596f};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(got[i], expected[i], 1e-4f) << i;
    }
    const auto columns = one("log_softmax", {{"x", x}, {"axis", scalarInt(0)}});
    const auto alongColumns = columns.floatValues();
    EXPECT_NEAR(alongColumns[3], 1.0f - 1000.0f, 1e-3f);
    EXPECT_NEAR(alongColumns[0], 0.0f, 1e-6f);
}

} // namespace
