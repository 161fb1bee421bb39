#include "Platform/CoreML/MLModelError.hpp"
#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace miltest;
using platform::coreml::MLModelError;
using testing::HasSubstr;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

struct Expected {
    DataType type;
    Shape shape;
    std::vector<double> values;
};

struct Case {
    const char* name;
    std::string op;
    std::vector<Arg> args;
    std::vector<ValueType> declared;
    std::vector<Expected> results;
};

void expectResult(const Tensor& actual, const Expected& expected) {
    EXPECT_EQ(actual.dataType(), expected.type);
    EXPECT_EQ(actual.shape(), expected.shape);
    ASSERT_EQ(actual.count(), static_cast<std::int64_t>(expected.values.size()));
    for (std::size_t i = 0; i < expected.values.size(); ++i) {
        const auto value = actual.numberAt(static_cast<std::int64_t>(i));
        EXPECT_NEAR(value, expected.values[i], 1e-5 * std::max(1.0, std::fabs(expected.values[i]))) << "element " << i;
    }
}

void runCases(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Tensor> results;
        try {
            results = runKernel(c.op, c.args, c.declared);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "failed: " << error.what();
            continue;
        }
        ASSERT_EQ(results.size(), c.results.size());
        for (std::size_t r = 0; r < results.size(); ++r) {
            SCOPED_TRACE("result " + std::to_string(r));
            expectResult(results[r], c.results[r]);
        }
    }
}

Tensor u8(Shape shape, std::vector<std::int32_t> values) { return ints(std::move(shape), std::move(values), DataType::uint8); }
Tensor typed(DataType type, Shape shape, std::vector<std::int32_t> values) { return ints(std::move(shape), std::move(values), type); }
Tensor f16(Shape shape, std::vector<float> values) { return floats(std::move(shape), std::move(values), DataType::fp16); }
Tensor f32(Shape shape, std::vector<float> values) { return floats(std::move(shape), std::move(values)); }

TEST(ConstexprOps, AffineDequantizeAndCast) {
    runCases({
        {"affine with scalar parameters", "constexpr_affine_dequantize",
         {{"quantized_data", u8({2, 3}, {0, 1, 2, 3, 4, 5})}, {"zero_point", u8({}, {2})}, {"scale", f32({}, {0.5f})},
          {"axis", scalarInt(0)}},
         {},
         {{DataType::fp32, {2, 3}, {-1, -0.5, 0, 0.5, 1, 1.5}}}},
        {"affine per axis 0 in the scale's fp16", "constexpr_affine_dequantize",
         {{"quantized_data", u8({2, 3}, {10, 11, 12, 20, 21, 22})}, {"zero_point", u8({2}, {10, 20})},
          {"scale", f16({2}, {1, 2})}, {"axis", scalarInt(0)}},
         {},
         {{DataType::fp16, {2, 3}, {0, 1, 2, 0, 2, 4}}}},
        {"affine per axis -1 on int8", "constexpr_affine_dequantize",
         {{"quantized_data", typed(DataType::int8, {2, 3}, {1, 1, 1, 2, 2, 2})},
          {"zero_point", typed(DataType::int8, {3}, {0, 1, 2})}, {"scale", f32({3}, {1, 10, 100})}, {"axis", scalarInt(-1)}},
         {},
         {{DataType::fp32, {2, 3}, {1, 0, -100, 2, 10, 0}}}},
        {"affine vector scale with scalar zero point, declared fp32", "constexpr_affine_dequantize",
         {{"quantized_data", u8({3, 1}, {4, 5, 6})}, {"zero_point", u8({}, {4})}, {"scale", f16({3}, {1, 2, 4})},
          {"axis", scalarInt(0)}},
         {tensorType(DataType::fp32, {3, 1})},
         {{DataType::fp32, {3, 1}, {0, 2, 8}}}},
        {"cast fp16 to fp32", "constexpr_cast", {{"source_val", f16({3}, {1.5f, -2, 65504})}, {"output_dtype", text("fp32")}},
         {},
         {{DataType::fp32, {3}, {1.5, -2, 65504}}}},
    });
}

TEST(ConstexprOps, LutToDense) {
    std::vector<float> ramp(64);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = 100.0f + static_cast<float>(i);
    }
    runCases({
        // 0, 1, 2, 3 | 3, 2 packed two bits each, low bits first: 0b11100100, 0b00001011.
        {"packed 2-bit indices", "constexpr_lut_to_dense",
         {{"indices", u8({2}, {228, 11})}, {"lut", f32({4}, {10, 20, 30, 40})}, {"shape", typed(DataType::uint32, {2}, {2, 3})}},
         {},
         {{DataType::fp32, {2, 3}, {10, 20, 30, 40, 40, 30}}}},
        // 5, 63, 1 at six bits: 0b11'000101, 0b0001'1111, 0b000000.
        {"packed 6-bit indices straddle bytes", "constexpr_lut_to_dense",
         {{"indices", u8({3}, {197, 31, 0})}, {"lut", f16({64}, ramp)}, {"shape", typed(DataType::uint32, {1}, {3})}},
         {},
         {{DataType::fp16, {3}, {105, 163, 101}}}},
        {"packed 1-bit indices into an int8 table", "constexpr_lut_to_dense",
         {{"indices", u8({2}, {0b10110001, 1})}, {"lut", typed(DataType::int8, {2}, {-5, 7})},
          {"shape", typed(DataType::uint32, {1}, {9})}},
         {tensorType(DataType::int8, {9})},
         {{DataType::int8, {9}, {7, -5, -5, -5, 7, 7, -5, 7, 7}}}},
        {"one table per pair of rows", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint2, {4, 2}, {0, 1, 2, 3, 3, 2, 1, 0})},
          {"lut", f32({2, 1, 4, 1}, {0, 1, 2, 3, 10, 11, 12, 13})}},
         {},
         {{DataType::fp32, {4, 2}, {0, 1, 2, 3, 13, 12, 11, 10}}}},
        {"one table per pair of columns", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint1, {2, 4}, {0, 1, 0, 1, 1, 1, 0, 0})}, {"lut", f32({1, 2, 2, 1}, {5, 6, 7, 8})}},
         {},
         {{DataType::fp32, {2, 4}, {5, 6, 7, 8, 6, 6, 7, 7}}}},
        {"vector table along axis 0", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint1, {2, 2}, {0, 1, 1, 0})}, {"lut", f32({1, 1, 2, 3}, {1, 2, 3, 10, 20, 30})},
          {"vector_axis", scalarInt(0)}},
         {},
         {{DataType::fp32, {6, 2}, {1, 10, 2, 20, 3, 30, 10, 1, 20, 2, 30, 3}}}},
        {"vector table along axis -1", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint1, {2, 2}, {0, 1, 1, 0})}, {"lut", f32({1, 1, 2, 3}, {1, 2, 3, 10, 20, 30})},
          {"vector_axis", scalarInt(-1)}},
         {},
         {{DataType::fp32, {2, 6}, {1, 2, 3, 10, 20, 30, 10, 20, 30, 1, 2, 3}}}},
        {"vector tables per row", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint1, {2, 2}, {1, 0, 0, 1})}, {"lut", f32({2, 1, 2, 2}, {1, 2, 3, 4, 5, 6, 7, 8})},
          {"vector_axis", scalarInt(1)}},
         {},
         {{DataType::fp32, {2, 4}, {3, 4, 1, 2, 5, 6, 7, 8}}}},
        {"integer table stays integer", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint2, {3}, {2, 0, 1})}, {"lut", typed(DataType::int8, {1, 4, 1}, {-1, -2, -3, -4})}},
         {tensorType(DataType::int8, {3})},
         {{DataType::int8, {3}, {-3, -1, -2}}}},
    });
}

// Big enough to run in parallel; checked against a plain loop over the definition.
TEST(ConstexprOps, BlockwiseLutMatchesADirectLoop) {
    const Shape shape{256, 300};
    const Shape blocks{8, 3};
    constexpr std::int64_t entries = 16;
    std::vector<std::int32_t> indices(256 * 300);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<std::int32_t>((i * 7 + i / 300) % entries);
    }
    std::vector<float> lut(8 * 3 * entries);
    for (std::size_t i = 0; i < lut.size(); ++i) {
        lut[i] = static_cast<float>(i) * 0.5f;
    }
    const auto result = runKernel("constexpr_lut_to_dense", {{"indices", typed(DataType::uint4, shape, indices)},
                                                             {"lut", f32({8, 3, entries, 1}, lut)}})
                            .at(0);
    ASSERT_EQ(result.shape(), shape);
    for (std::int64_t r = 0; r < 256; ++r) {
        for (std::int64_t c = 0; c < 300; ++c) {
            const auto index = indices[static_cast<std::size_t>(r * 300 + c)];
            const auto table = (r / 32) * 3 + c / 100;
            const auto expected = lut[static_cast<std::size_t>(table * entries + index)];
            ASSERT_EQ(result.floatValues()[static_cast<std::size_t>(r * 300 + c)], expected) << r << ", " << c;
        }
    }
}

TEST(ConstexprOps, SparseToDense) {
    runCases({
        // Bits 0, 3 and 9 set: 0b00001001, 0b00000010.
        {"packed mask", "constexpr_sparse_to_dense",
         {{"nonzero_data", f32({3}, {1, 2, 3})}, {"mask", u8({2}, {9, 2})}, {"shape", typed(DataType::uint32, {2}, {2, 5})}},
         {},
         {{DataType::fp32, {2, 5}, {1, 0, 0, 2, 0, 0, 0, 0, 0, 3}}}},
        {"uint1 mask with int8 values", "constexpr_sparse_to_dense",
         {{"nonzero_data", typed(DataType::int8, {2}, {-4, 5})}, {"mask", typed(DataType::uint1, {2, 2}, {0, 1, 1, 0})}},
         {tensorType(DataType::int8, {2, 2})},
         {{DataType::int8, {2, 2}, {0, -4, 5, 0}}}},
        {"empty mask", "constexpr_sparse_to_dense",
         {{"nonzero_data", f16({0}, {})}, {"mask", typed(DataType::uint1, {3}, {0, 0, 0})}},
         {},
         {{DataType::fp16, {3}, {0, 0, 0}}}},
    });
}

TEST(ConstexprOps, BlockwiseShiftScale) {
    runCases({
        {"int4 in 1x2 blocks with offset", "constexpr_blockwise_shift_scale",
         {{"data", typed(DataType::int4, {2, 4}, {-8, -1, 0, 7, 1, 2, 3, 4})}, {"scale", f32({2, 2}, {1, 2, 3, 4})},
          {"offset", typed(DataType::int4, {2, 2}, {0, 1, -1, 2})}},
         {},
         {{DataType::fp32, {2, 4}, {-8, -1, -2, 12, 6, 9, 4, 8}}}},
        {"per channel without offset in fp16", "constexpr_blockwise_shift_scale",
         {{"data", typed(DataType::int8, {2, 3}, {1, 2, 3, -1, -2, -3})}, {"scale", f16({2, 1}, {0.5f, 4})}},
         {},
         {{DataType::fp16, {2, 3}, {0.5, 1, 1.5, -4, -8, -12}}}},
        {"float data with float offset", "constexpr_blockwise_shift_scale",
         {{"data", f16({2}, {1.5f, -2})}, {"scale", f32({1}, {2})}, {"offset", f32({1}, {0.5f})}},
         {},
         {{DataType::fp32, {2}, {2, -5}}}},
        {"sparse blocks per row", "constexpr_sparse_blockwise_shift_scale",
         {{"data_mask", typed(DataType::uint1, {2, 4}, {1, 0, 1, 0, 0, 1, 1, 1})},
          {"nonzero_data", typed(DataType::int8, {5}, {10, 20, 30, 40, 50})}, {"scale", f32({2, 1}, {0.5f, 2})},
          {"offset", typed(DataType::int8, {2, 1}, {0, 10})}},
         {tensorType(DataType::uint1, {2, 4}), tensorType(DataType::fp16, {5})},
         {{DataType::uint1, {2, 4}, {1, 0, 1, 0, 0, 1, 1, 1}}, {DataType::fp16, {5}, {5, 10, 40, 60, 80}}}},
    });
}

TEST(ConstexprOps, LutToSparse) {
    runCases({
        {"scalar table", "constexpr_lut_to_sparse",
         {{"indices_mask", typed(DataType::uint1, {2, 3}, {1, 0, 1, 0, 1, 0})},
          {"indices_nonzero_data", typed(DataType::uint2, {3}, {3, 0, 2})}, {"lut", f32({1, 1, 4, 1}, {10, 20, 30, 40})}},
         {},
         {{DataType::uint1, {2, 3}, {1, 0, 1, 0, 1, 0}}, {DataType::fp32, {3}, {40, 10, 30}}}},
        {"table per row", "constexpr_lut_to_sparse",
         {{"indices_mask", typed(DataType::uint1, {2, 2}, {1, 0, 0, 1})},
          {"indices_nonzero_data", typed(DataType::uint1, {2}, {1, 1})}, {"lut", f32({2, 1, 2, 1}, {1, 2, 3, 4})}},
         {},
         {{DataType::uint1, {2, 2}, {1, 0, 0, 1}}, {DataType::fp32, {2}, {2, 4}}}},
        // Each set position spreads over two rows, so row-major order interleaves the vectors.
        {"vector table along axis 0", "constexpr_lut_to_sparse",
         {{"indices_mask", typed(DataType::uint1, {2, 2}, {1, 1, 0, 0})},
          {"indices_nonzero_data", typed(DataType::uint1, {2}, {1, 0})}, {"lut", f32({1, 1, 2, 2}, {1, 2, 3, 4})},
          {"vector_axis", scalarInt(0)}},
         {},
         {{DataType::uint1, {4, 2}, {1, 1, 1, 1, 0, 0, 0, 0}}, {DataType::fp32, {4}, {3, 1, 4, 2}}}},
        {"vector table along axis 1", "constexpr_lut_to_sparse",
         {{"indices_mask", typed(DataType::uint1, {2, 2}, {1, 1, 0, 0})},
          {"indices_nonzero_data", typed(DataType::uint1, {2}, {1, 0})}, {"lut", f32({1, 1, 2, 2}, {1, 2, 3, 4})},
          {"vector_axis", scalarInt(1)}},
         {},
         {{DataType::uint1, {2, 4}, {1, 1, 1, 1, 0, 0, 0, 0}}, {DataType::fp32, {4}, {3, 4, 1, 2}}}},
    });
}

// A sparse palettized weight decodes to the dense palettized weight with the
// unmasked positions zeroed, whatever the vector axis and blocks.
TEST(ConstexprOps, LutToSparseFeedsSparseToDense) {
    const std::vector<std::int32_t> maskBits{1, 0, 1, 1, 1, 0, 0, 0, 1, 0, 1, 1};
    const std::vector<std::int32_t> dense{3, 0, 1, 2, 0, 0, 0, 0, 3, 0, 2, 1};
    std::vector<std::int32_t> nonzero;
    for (std::size_t i = 0; i < dense.size(); ++i) {
        if (maskBits[i] != 0) {
            nonzero.push_back(dense[i]);
        }
    }
    std::vector<float> lut(2 * 1 * 4 * 2);
    for (std::size_t i = 0; i < lut.size(); ++i) {
        lut[i] = 1.0f + static_cast<float>(i);
    }
    const auto table = f32({2, 1, 4, 2}, lut);
    for (const std::int64_t axis : {0, 1}) {
        SCOPED_TRACE("vector_axis " + std::to_string(axis));
        const auto expected = runKernel("constexpr_lut_to_dense", {{"indices", typed(DataType::uint2, {4, 3}, dense)},
                                                                   {"lut", table}, {"vector_axis", scalarInt(axis)}})
                                  .at(0);
        const auto sparse = runKernel("constexpr_lut_to_sparse",
                                      {{"indices_mask", typed(DataType::uint1, {4, 3}, maskBits)},
                                       {"indices_nonzero_data", typed(DataType::uint2, {static_cast<std::int64_t>(nonzero.size())}, nonzero)},
                                       {"lut", table}, {"vector_axis", scalarInt(axis)}});
        const auto& mask = sparse.at(0);
        const auto decoded = runKernel("constexpr_sparse_to_dense", {{"mask", mask}, {"nonzero_data", sparse.at(1)}}).at(0);
        ASSERT_EQ(decoded.shape(), expected.shape());
        for (std::int64_t o = 0; o < decoded.count(); ++o) {
            const auto row = o / decoded.shape()[1];
            const auto column = o % decoded.shape()[1];
            const auto source = axis == 0 ? (row / 2) * 3 + column : row * 3 + column / 2;
            EXPECT_EQ(mask.intValues()[static_cast<std::size_t>(o)], maskBits[static_cast<std::size_t>(source)]) << o;
            const auto want = maskBits[static_cast<std::size_t>(source)] != 0 ? expected.floatValues()[static_cast<std::size_t>(o)] : 0.0f;
            EXPECT_EQ(decoded.floatValues()[static_cast<std::size_t>(o)], want) << o;
        }
    }
}

TEST(ConstexprOps, QuantizeAndDequantize) {
    runCases({
        // Ties round to even (2.5 -> 2, 3.5 -> 4); NaN lands on the zero point.
        {"quantize to uint8 with scalars", "quantize",
         {{"input", f32({6}, {-10, 0, 1.25f, 1.75f, 200, nan})}, {"scale", scalarFloat(0.5)}, {"zero_point", u8({}, {10})},
          {"output_dtype", text("uint8")}},
         {},
         {{DataType::uint8, {6}, {0, 10, 12, 14, 255, 10}}}},
        {"quantize to int8 per axis -1", "quantize",
         {{"input", f32({2, 2}, {1, 4, -3, -300})}, {"scale", f32({2}, {1, 2})},
          {"zero_point", typed(DataType::int8, {2}, {0, -1})}, {"axis", scalarInt(-1)}, {"output_dtype", text("int8")}},
         {},
         {{DataType::int8, {2, 2}, {1, 1, -3, -128}}}},
        {"quantize without zero point", "quantize",
         {{"input", f16({2}, {0.4f, -0.6f})}, {"scale", scalarFloat(0.1)}, {"output_dtype", text("int8")}},
         {},
         {{DataType::int8, {2}, {4, -6}}}},
        {"dequantize per axis 0 without zero point", "dequantize",
         {{"input", typed(DataType::int8, {2, 2}, {1, -2, 3, 4})}, {"scale", f32({2}, {0.5f, 2})}, {"axis", scalarInt(0)}},
         {},
         {{DataType::fp32, {2, 2}, {0.5, -1, 6, 8}}}},
        {"dequantize uint8 with scalars", "dequantize",
         {{"input", u8({3}, {0, 128, 255})}, {"scale", f16({}, {0.25f})}, {"zero_point", u8({}, {128})}},
         {},
         {{DataType::fp16, {3}, {-32, 0, 31.75}}}},
    });
}

TEST(ConstexprOps, RejectsInconsistentArguments) {
    struct Failure {
        const char* name;
        std::string op;
        std::vector<Arg> args;
        std::vector<ValueType> declared;
        const char* text;
    };
    const auto affine = [](Tensor scale, std::int64_t axis) {
        return std::vector<Arg>{{"quantized_data", u8({2, 3}, {0, 0, 0, 0, 0, 0})}, {"zero_point", u8({}, {0})},
                                {"scale", std::move(scale)}, {"axis", scalarInt(axis)}};
    };
    const auto lut2x2 = f32({1, 1, 4, 1}, {1, 2, 3, 4});
    const std::vector<Failure> cases{
        {"affine vector of the wrong length", "constexpr_affine_dequantize", affine(f32({4}, {1, 1, 1, 1}), 0), {},
         "\"scale\" has 4 values for the 2 along axis 0"},
        {"affine axis out of range", "constexpr_affine_dequantize", affine(f32({2}, {1, 1}), 2), {}, "axis 2 is outside rank 2"},
        {"affine matrix scale", "constexpr_affine_dequantize", affine(f32({2, 3}, {1, 1, 1, 1, 1, 1}), 0), {},
         "must be a scalar or a vector"},
        {"cast to an unknown type", "constexpr_cast", {{"source_val", f16({1}, {1})}, {"output_dtype", text("fp12")}}, {},
         "cannot cast to \"fp12\""},
        {"packed table of three entries", "constexpr_lut_to_dense",
         {{"indices", u8({1}, {0})}, {"lut", f32({3}, {1, 2, 3})}, {"shape", typed(DataType::uint32, {1}, {2})}}, {},
         "must be a vector of 2, 4, ... or 256 entries"},
        {"packed indices too short", "constexpr_lut_to_dense",
         {{"indices", u8({1}, {0})}, {"lut", f32({4}, {1, 2, 3, 4})}, {"shape", typed(DataType::uint32, {2}, {2, 3})}}, {},
         "1 bytes of \"indices\" do not hold 2-bit indices for the shape [2, 3]"},
        {"packed index byte above 255", "constexpr_lut_to_dense",
         {{"indices", u8({1}, {300})}, {"lut", f32({4}, {1, 2, 3, 4})}, {"shape", typed(DataType::uint32, {1}, {4})}}, {},
         "holds 300, which is no byte"},
        {"table of the wrong rank", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint2, {2, 2}, {0, 1, 2, 3})}, {"lut", f32({4}, {1, 2, 3, 4})}}, {}, "must have rank 4"},
        {"tables that do not divide the indices", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint1, {4, 2}, {0, 0, 0, 0, 0, 0, 0, 0})}, {"lut", f32({3, 1, 2, 1}, {1, 2, 3, 4, 5, 6})}},
         {}, "into whole blocks"},
        {"index beyond the table", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint4, {2, 2}, {0, 1, 4, 3})}, {"lut", lut2x2}}, {},
         "index 4 is outside a table of 4 entries"},
        {"vector table without an axis", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint1, {2}, {0, 1})}, {"lut", f32({1, 2, 2}, {1, 2, 3, 4})}}, {},
         "needs a \"vector_axis\""},
        {"result declared as another kind", "constexpr_lut_to_dense",
         {{"indices", typed(DataType::uint2, {2, 2}, {0, 1, 2, 3})}, {"lut", lut2x2}}, {tensorType(DataType::int32, {2, 2})},
         "result 0 is declared int32 but holds fp32 values"},
        {"fewer values than set bits", "constexpr_sparse_to_dense",
         {{"nonzero_data", f32({2}, {1, 2})}, {"mask", typed(DataType::uint1, {3}, {1, 1, 1})}}, {},
         "has 2 values for the 3 set bits"},
        {"packed mask of the wrong length", "constexpr_sparse_to_dense",
         {{"nonzero_data", f32({1}, {1})}, {"mask", u8({1}, {1})}, {"shape", typed(DataType::uint32, {1}, {9})}}, {},
         "1 bytes of \"mask\" do not flag the shape [9]"},
        {"scale of lower rank", "constexpr_blockwise_shift_scale",
         {{"data", typed(DataType::int8, {2, 4}, std::vector<std::int32_t>(8))}, {"scale", f32({2}, {1, 1})}}, {},
         "must have the rank of the data"},
        {"scale blocks that do not divide", "constexpr_blockwise_shift_scale",
         {{"data", typed(DataType::int8, {2, 4}, std::vector<std::int32_t>(8))}, {"scale", f32({2, 3}, {1, 1, 1, 1, 1, 1})}}, {},
         "into whole blocks"},
        {"offset shaped unlike scale", "constexpr_blockwise_shift_scale",
         {{"data", typed(DataType::int8, {2, 4}, std::vector<std::int32_t>(8))}, {"scale", f32({2, 1}, {1, 1})},
          {"offset", f32({1, 2}, {0, 0})}},
         {}, "must have the shape of \"scale\""},
        {"sparse shift-scale count mismatch", "constexpr_sparse_blockwise_shift_scale",
         {{"data_mask", typed(DataType::uint1, {2}, {1, 1})}, {"nonzero_data", typed(DataType::int8, {1}, {1})},
          {"scale", f32({1}, {1})}},
         {}, "has 1 values for the 2 set bits"},
        {"sparse table count mismatch", "constexpr_lut_to_sparse",
         {{"indices_mask", typed(DataType::uint1, {2}, {1, 0})}, {"indices_nonzero_data", typed(DataType::uint2, {2}, {1, 2})},
          {"lut", f32({1, 4, 1}, {1, 2, 3, 4})}},
         {}, "has 2 indices for the 1 set bits"},
        {"quantize to a float type", "quantize",
         {{"input", f32({1}, {1})}, {"scale", scalarFloat(1)}, {"output_dtype", text("fp16")}}, {},
         "must be \"int8\" or \"uint8\""},
        {"per-axis scale without an axis", "dequantize", {{"input", u8({2}, {1, 2})}, {"scale", f32({2}, {1, 2})}}, {},
         "a vector \"scale\" needs an \"axis\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            runKernel(c.op, c.args, c.declared);
            ADD_FAILURE() << "did not fail";
        } catch (const MLModelError& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.text));
            EXPECT_THAT(error.what(), HasSubstr(c.op));
        }
    }
}

} // namespace
