#include "tests/Platform/CoreML/MIL/ShapeOpsTestSupport.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace miltest;

// One call of a kernel with a single result and its hand-worked value.
struct KernelCase {
    std::string name;
    std::string op;
    std::vector<Arg> args;
    Shape shape;
    std::vector<double> values;
    std::vector<ValueType> results = {};
};

void runTable(const std::vector<KernelCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectTensor(runOne(c.op, c.args, c.results), c.shape, c.values);
    }
}

std::vector<double> iotaValues(std::int64_t count) {
    std::vector<double> values;
    for (std::int64_t i = 0; i < count; ++i) {
        values.push_back(static_cast<double>(i));
    }
    return values;
}

TEST(ShapeOpsTest, ReshapeFamilyKeepsElementsUnderNewShapes) {
    runTable({
        {"reshape infers -1", "reshape", {Arg{"x", iota({2, 3, 4})}, Arg{"shape", int64s({4, -1})}}, {4, 6}, iotaValues(24)},
        {"reshape 0 copies the input size", "reshape", {Arg{"x", iota({2, 3, 4})}, Arg{"shape", int64s({0, -1, 2})}},
         {2, 6, 2}, iotaValues(24)},
        {"reshape 0 is a size when the rank changes", "reshape", {Arg{"x", iota({0, 3})}, Arg{"shape", int64s({3, 0, 1})}},
         {3, 0, 1}, {}},
        {"reshape a scalar", "reshape", {Arg{"x", iota({})}, Arg{"shape", int64s({1, 1})}}, {1, 1}, {0}},
        {"expand_dims at both ends", "expand_dims", {Arg{"x", iota({2, 3})}, Arg{"axes", int64s({0, -1})}},
         {1, 2, 3, 1}, iotaValues(6)},
        {"expand_dims in the middle", "expand_dims", {Arg{"x", iota({2, 3})}, Arg{"axes", int64s({1})}}, {2, 1, 3},
         iotaValues(6)},
        {"squeeze every size-1 axis", "squeeze", {Arg{"x", iota({1, 2, 1, 3, 1})}}, {2, 3}, iotaValues(6)},
        {"squeeze a negative axis", "squeeze", {Arg{"x", iota({1, 2, 1, 3, 1})}, Arg{"axes", int64s({-1})}},
         {1, 2, 1, 3}, iotaValues(6)},
        {"flatten2d default axis 1", "flatten2d", {Arg{"x", iota({2, 3, 4})}}, {2, 12}, iotaValues(24)},
        {"flatten2d axis -1", "flatten2d", {Arg{"x", iota({2, 3, 4})}, Arg{"axis", scalarInt(-1)}}, {6, 4},
         iotaValues(24)},
        {"flatten2d axis 0", "flatten2d", {Arg{"x", iota({2, 3, 4})}, Arg{"axis", scalarInt(0)}}, {1, 24},
         iotaValues(24)},
        {"flatten2d axis rank", "flatten2d", {Arg{"x", iota({2, 3, 4})}, Arg{"axis", scalarInt(3)}}, {24, 1},
         iotaValues(24)},
        {"reshape_like joins ranges of reference shapes", "reshape_like",
         {Arg{"x", iota({24})}, Arg{"ref_tensors", std::vector<Tensor>{iota({2, 9}), iota({5, 3, 4})}},
          Arg{"begins", int64s({0, 1})}, Arg{"ends", int64s({1, 2})}, Arg{"end_masks", flags({0, 1})}},
         {2, 3, 4}, iotaValues(24)},
        {"shape of a tensor", "shape", {Arg{"x", iota({2, 3, 4})}}, {3}, {2, 3, 4}},
        {"shape of a scalar", "shape", {Arg{"x", scalarBool(true)}}, {0}, {}},
    });
}

TEST(ShapeOpsTest, ShapeReturnsInt32AndReshapeSharesTheInput) {
    EXPECT_EQ(runOne("shape", {Arg{"x", iota({2})}}).dataType(), DataType::int32);
    const auto x = iota({2, 3}, DataType::int32);
    const auto reshaped = runOne("reshape", {Arg{"x", x}, Arg{"shape", int64s({3, 2})}});
    EXPECT_EQ(reshaped.dataType(), DataType::int32);
    EXPECT_EQ(reshaped.intValues().data(), x.intValues().data());
}

TEST(ShapeOpsTest, RearrangementsMoveEachElement) {
    runTable({
        {"transpose a matrix", "transpose", {Arg{"x", iota({2, 3})}, Arg{"perm", int64s({1, 0})}}, {3, 2},
         {0, 3, 1, 4, 2, 5}},
        {"tile a row", "tile", {Arg{"x", iota({1, 2})}, Arg{"reps", int64s({2, 2})}}, {2, 4}, {0, 1, 0, 1, 0, 1, 0, 1}},
        {"tile a column", "tile", {Arg{"x", iota({2, 1})}, Arg{"reps", int64s({1, 3})}}, {2, 3}, {0, 0, 0, 1, 1, 1}},
        {"reverse the last axis", "reverse", {Arg{"x", iota({2, 3})}, Arg{"axes", int64s({-1})}}, {2, 3},
         {2, 1, 0, 5, 4, 3}},
        {"reverse the first axis", "reverse", {Arg{"x", iota({2, 3})}, Arg{"axes", int64s({0})}}, {2, 3},
         {3, 4, 5, 0, 1, 2}},
        {"reverse every axis by default", "reverse", {Arg{"x", iota({2, 3})}}, {2, 3}, {5, 4, 3, 2, 1, 0}},
        {"reverse_sequence along rows", "reverse_sequence",
         {Arg{"x", iota({3, 4})}, Arg{"lengths", int64s({4, 2, 0})}, Arg{"seq_axis", scalarInt(1)},
          Arg{"batch_axis", scalarInt(0)}},
         {3, 4}, {3, 2, 1, 0, 5, 4, 6, 7, 8, 9, 10, 11}},
        {"reverse_sequence along columns", "reverse_sequence",
         {Arg{"x", iota({3, 2})}, Arg{"lengths", int64s({3, 2})}, Arg{"seq_axis", scalarInt(0)},
          Arg{"batch_axis", scalarInt(1)}},
         {3, 2}, {4, 3, 2, 1, 0, 5}},
        // Channel (bh·2 + bw)·C' + c goes to channel c at (bh, bw).
        {"depth_to_space orders blocks before channels", "depth_to_space",
         {Arg{"x", iota({1, 8, 1, 1})}, Arg{"block_size", scalarInt(2)}}, {1, 2, 2, 2}, {0, 2, 4, 6, 1, 3, 5, 7}},
        {"depth_to_space interleaves the columns", "depth_to_space",
         {Arg{"x", iota({1, 4, 1, 2})}, Arg{"block_size", scalarInt(2)}}, {1, 1, 2, 4}, {0, 2, 1, 3, 4, 6, 5, 7}},
        {"space_to_depth undoes depth_to_space", "space_to_depth",
         {Arg{"x", floats({1, 2, 2, 2}, {0, 2, 4, 6, 1, 3, 5, 7})}, Arg{"block_size", scalarInt(2)}}, {1, 8, 1, 1},
         iotaValues(8)},
        // Channel c·4 + bh·2 + bw goes to channel c at (bh, bw).
        {"pixel_shuffle orders channels before blocks", "pixel_shuffle",
         {Arg{"x", iota({1, 8, 1, 1})}, Arg{"upscale_factor", scalarInt(2)}}, {1, 2, 2, 2}, iotaValues(8)},
        {"pixel_shuffle interleaves the columns", "pixel_shuffle",
         {Arg{"x", iota({1, 4, 1, 2})}, Arg{"upscale_factor", scalarInt(2)}}, {1, 1, 2, 4}, {0, 2, 1, 3, 4, 6, 5, 7}},
        {"pixel_unshuffle undoes pixel_shuffle", "pixel_unshuffle",
         {Arg{"x", floats({1, 1, 2, 4}, {0, 2, 1, 3, 4, 6, 5, 7})}, Arg{"downscale_factor", scalarInt(2)}},
         {1, 4, 1, 2}, iotaValues(8)},
    });
}

TEST(ShapeOpsTest, TransposeOfRankThreeWithNegativeAxes) {
    const auto result = runOne("transpose", {Arg{"x", iota({2, 3, 4})}, Arg{"perm", int64s({-1, 0, 1})}});
    std::vector<double> expected;
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 3; ++j) {
                expected.push_back(12 * i + 4 * j + k);
            }
        }
    }
    expectTensor(result, {4, 2, 3}, expected);
}

// Sizes that are not whole tiles of the blocked copy, with and without batches
// in front and with the transposed pair in the middle.
TEST(ShapeOpsTest, LargeTransposesMoveEveryElementOnce) {
    struct Case {
        const char* name;
        Shape shape;
        std::vector<std::int64_t> perm;
    };
    const std::vector<Case> cases{
        {"rows and columns", {70, 45}, {1, 0}},
        {"batches of matrices", {3, 33, 100}, {0, 2, 1}},
        {"channels to the end", {2, 65, 31, 3}, {0, 2, 1, 3}},
        {"heads to the front", {1, 125, 8, 16}, {0, 2, 1, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = runOne("transpose", {Arg{"x", iota(c.shape)}, Arg{"perm", int64s(c.perm)}});
        Shape shape;
        for (const auto axis : c.perm) {
            shape.push_back(c.shape[static_cast<std::size_t>(axis)]);
        }
        std::vector<std::int64_t> strides(c.shape.size(), 1);
        for (auto d = c.shape.size(); d-- > 1;) {
            strides[d - 1] = strides[d] * c.shape[d];
        }
        std::vector<double> expected;
        std::vector<std::int64_t> position(shape.size(), 0);
        for (std::int64_t done = 0; done < elementCount(shape); ++done) {
            std::int64_t source = 0;
            for (std::size_t d = 0; d < shape.size(); ++d) {
                source += position[d] * strides[static_cast<std::size_t>(c.perm[d])];
            }
            expected.push_back(static_cast<double>(source));
            for (auto d = shape.size(); d-- > 0 && ++position[d] == shape[d];) {
                position[d] = 0;
            }
        }
        expectTensor(result, shape, expected);
    }
}

TEST(ShapeOpsTest, RearrangementsKeepIntAndBoolStorage) {
    const auto transposed = runOne("transpose", {Arg{"x", iota({2, 2}, DataType::int32)}, Arg{"perm", int64s({1, 0})}});
    EXPECT_EQ(transposed.dataType(), DataType::int32);
    expectTensor(transposed, {2, 2}, {0, 2, 1, 3});
    const auto reversed = runOne("reverse", {Arg{"x", flags({1, 0, 0})}});
    EXPECT_EQ(reversed.dataType(), DataType::boolean);
    expectTensor(reversed, {3}, {0, 0, 1});
}

TEST(ShapeOpsTest, ConcatAndStackJoinAlongAnAxis) {
    const auto a = iota({2, 2});
    const auto b = floats({2, 2}, {10, 11, 12, 13});
    runTable({
        {"concat along the last axis", "concat",
         {Arg{"values", std::vector<Tensor>{iota({2, 1}), b}}, Arg{"axis", scalarInt(-1)}}, {2, 3},
         {0, 10, 11, 1, 12, 13}},
        {"concat along the first axis", "concat", {Arg{"values", std::vector<Tensor>{a, b}}, Arg{"axis", scalarInt(0)}},
         {4, 2}, {0, 1, 2, 3, 10, 11, 12, 13}},
        {"concat interleaves rows", "concat",
         {Arg{"values", std::vector<Tensor>{a, b}}, Arg{"axis", scalarInt(0)}, Arg{"interleave", scalarBool(true)}},
         {4, 2}, {0, 1, 10, 11, 2, 3, 12, 13}},
        {"concat interleaves columns", "concat",
         {Arg{"values", std::vector<Tensor>{a, b}}, Arg{"axis", scalarInt(1)}, Arg{"interleave", scalarBool(true)}},
         {2, 4}, {0, 10, 1, 11, 2, 12, 3, 13}},
        {"concat bools", "concat", {Arg{"values", std::vector<Tensor>{flags({1, 0}), flags({1})}}, Arg{"axis", scalarInt(0)}},
         {3}, {1, 0, 1}},
        {"stack on a new first axis", "stack",
         {Arg{"values", std::vector<Tensor>{iota({2}), floats({2}, {2, 3})}}, Arg{"axis", scalarInt(0)}}, {2, 2},
         {0, 1, 2, 3}},
        {"stack on a new last axis", "stack",
         {Arg{"values", std::vector<Tensor>{iota({2}), floats({2}, {2, 3})}}, Arg{"axis", scalarInt(-1)}}, {2, 2},
         {0, 2, 1, 3}},
    });
}

// One split and the pieces it must return.
struct SplitCase {
    std::string name;
    std::vector<Arg> args;
    std::vector<ValueType> declared;
    std::vector<Shape> shapes;
    std::vector<std::vector<double>> values;
};

TEST(ShapeOpsTest, SplitCutsIntoPieces) {
    const std::vector<SplitCase> cases{
        {"num_splits", {Arg{"x", iota({2, 6})}, Arg{"axis", scalarInt(1)}, Arg{"num_splits", scalarInt(3)}}, {},
         {{2, 2}, {2, 2}, {2, 2}}, {{0, 1, 6, 7}, {2, 3, 8, 9}, {4, 5, 10, 11}}},
        {"split_sizes on a negative axis",
         {Arg{"x", iota({2, 6})}, Arg{"axis", scalarInt(-1)}, Arg{"split_sizes", int64s({1, 5})}}, {},
         {{2, 1}, {2, 5}}, {{0, 6}, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}}},
        {"as many pieces as declared results", {Arg{"x", iota({2, 3})}, Arg{"axis", scalarInt(0)}},
         {tensorType(DataType::fp32, {1, 3}), tensorType(DataType::fp32, {1, 3})}, {{1, 3}, {1, 3}},
         {{0, 1, 2}, {3, 4, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pieces = runKernel("split", c.args, c.declared);
        ASSERT_EQ(pieces.size(), c.shapes.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            expectTensor(pieces[i], c.shapes[i], c.values[i]);
        }
    }
}

TEST(ShapeOpsTest, FillRangeAndOneHotMakeTensors) {
    runTable({
        {"fill with a value", "fill", {Arg{"shape", int64s({2, 3})}, Arg{"value", scalarFloat(7)}}, {2, 3},
         {7, 7, 7, 7, 7, 7}},
        {"fill defaults to zero", "fill", {Arg{"shape", int64s({2})}}, {2}, {0, 0}},
        {"fill_like takes the reference shape", "fill_like",
         {Arg{"ref_tensor", iota({2, 2}, DataType::int32)}, Arg{"value", scalarFloat(1.5)}}, {2, 2}, {1.5, 1.5, 1.5, 1.5}},
        {"range of integers", "range_1d",
         {Arg{"end", scalarInt(5)}, Arg{"start", scalarInt(0)}, Arg{"step", scalarInt(1)}}, {5}, {0, 1, 2, 3, 4}},
        {"range counting down", "range_1d",
         {Arg{"end", scalarInt(0)}, Arg{"start", scalarInt(5)}, Arg{"step", scalarInt(-2)}}, {3}, {5, 3, 1}},
        {"range of floats", "range_1d",
         {Arg{"end", scalarFloat(1)}, Arg{"start", scalarFloat(0)}, Arg{"step", scalarFloat(0.25)}}, {4},
         {0, 0.25, 0.5, 0.75}},
        {"range that is empty", "range_1d",
         {Arg{"end", scalarInt(0)}, Arg{"start", scalarInt(5)}, Arg{"step", scalarInt(1)}}, {0}, {}},
        {"one_hot on the last axis", "one_hot",
         {Arg{"indices", int64s({1, 0})}, Arg{"one_hot_vector_size", scalarInt(3)}}, {2, 3}, {0, 1, 0, 1, 0, 0}},
        {"one_hot on the first axis", "one_hot",
         {Arg{"indices", int64s({1, 0})}, Arg{"one_hot_vector_size", scalarInt(3)}, Arg{"axis", scalarInt(0)}}, {3, 2},
         {0, 1, 1, 0, 0, 0}},
        {"one_hot with own values", "one_hot",
         {Arg{"indices", int64s({2})}, Arg{"one_hot_vector_size", scalarInt(3)}, Arg{"on_value", scalarFloat(5)},
          Arg{"off_value", scalarFloat(-1)}},
         {1, 3}, {-1, -1, 5}},
    });
}

TEST(ShapeOpsTest, MadeTensorsTakeTheDeclaredOrImpliedType) {
    EXPECT_EQ(runOne("fill", {Arg{"shape", int64s({1})}}).dataType(), DataType::fp32);
    EXPECT_EQ(runOne("fill", {Arg{"shape", int64s({1})}, Arg{"value", scalarFloat(2.9)}},
                     {tensorType(DataType::int32, {1})})
                  .intValues()[0],
              2);
    EXPECT_EQ(runOne("range_1d", {Arg{"end", scalarInt(3)}, Arg{"start", scalarInt(0)}, Arg{"step", scalarInt(1)}})
                  .dataType(),
              DataType::int32);
    EXPECT_EQ(runOne("range_1d", {Arg{"end", scalarFloat(3)}, Arg{"start", scalarInt(0)}, Arg{"step", scalarInt(1)}})
                  .dataType(),
              DataType::fp32);
    EXPECT_EQ(runOne("one_hot", {Arg{"indices", int64s({0})}, Arg{"one_hot_vector_size", scalarInt(2)}}).dataType(),
              DataType::int32);
}

TEST(ShapeOpsTest, PadModes) {
    const auto x = iota({2, 3}); // [[0, 1, 2], [3, 4, 5]]
    runTable({
        {"constant on the last axis", "pad",
         {Arg{"x", x}, Arg{"pad", int64s({1, 1})}, Arg{"constant_val", scalarFloat(9)}}, {2, 5},
         {9, 0, 1, 2, 9, 9, 3, 4, 5, 9}},
        {"constant zero on both axes", "pad", {Arg{"x", x}, Arg{"pad", int64s({1, 0, 0, 2})}}, {3, 5},
         {0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 3, 4, 5, 0, 0}},
        {"reflect the last axis", "pad", {Arg{"x", x}, Arg{"pad", int64s({2, 2})}, Arg{"mode", text("reflect")}}, {2, 7},
         {2, 1, 0, 1, 2, 1, 0, 5, 4, 3, 4, 5, 4, 3}},
        {"replicate both axes", "pad", {Arg{"x", x}, Arg{"pad", int64s({1, 0, 2, 1})}, Arg{"mode", text("replicate")}},
         {3, 6}, {0, 0, 0, 1, 2, 2, 0, 0, 0, 1, 2, 2, 3, 3, 3, 4, 5, 5}},
        {"constant on ints", "pad",
         {Arg{"x", iota({2}, DataType::int32)}, Arg{"pad", int64s({0, 1})}, Arg{"constant_val", scalarFloat(-3)}}, {3},
         {0, 1, -3}},
        {"reflect a middle axis of rank 3", "pad",
         {Arg{"x", iota({1, 3, 1})}, Arg{"pad", int64s({1, 1, 0, 0})}, Arg{"mode", text("reflect")}}, {1, 5, 1},
         {1, 0, 1, 2, 1}},
    });
}

TEST(ShapeOpsTest, BandPartMasksAndNonZero) {
    const auto x = floats({3, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    runTable({
        {"causal mask keeps the lower triangle", "band_part",
         {Arg{"x", x}, Arg{"lower", scalarInt(-1)}, Arg{"upper", scalarInt(0)}}, {3, 3}, {1, 0, 0, 4, 5, 0, 7, 8, 9}},
        {"upper triangle", "band_part", {Arg{"x", x}, Arg{"lower", scalarInt(0)}}, {3, 3}, {1, 2, 3, 0, 5, 6, 0, 0, 9}},
        {"one sub-diagonal", "band_part", {Arg{"x", x}, Arg{"lower", scalarInt(1)}, Arg{"upper", scalarInt(0)}}, {3, 3},
         {1, 0, 0, 4, 5, 0, 0, 8, 9}},
        {"defaults keep everything", "band_part", {Arg{"x", x}}, {3, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"every matrix of a batch", "band_part",
         {Arg{"x", iota({2, 2, 2})}, Arg{"lower", scalarInt(-1)}, Arg{"upper", scalarInt(0)}}, {2, 2, 2},
         {0, 0, 2, 3, 4, 0, 6, 7}},
        {"non_zero coordinates", "non_zero", {Arg{"x", floats({2, 3}, {0, 1, 0, 2, 0, 3})}}, {3, 2}, {0, 1, 1, 0, 1, 2}},
        {"non_zero of bools", "non_zero", {Arg{"x", flags({0, 1, 1})}}, {2, 1}, {1, 2}},
    });
}

TEST(ShapeOpsTest, UpsamplingOfTheLastTwoAxes) {
    runTable({
        {"nearest doubles both axes", "upsample_nearest_neighbor",
         {Arg{"x", floats({1, 2, 2}, {1, 2, 3, 4})}, Arg{"scale_factor_height", scalarInt(2)},
          Arg{"scale_factor_width", scalarInt(2)}},
         {1, 4, 4}, {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}},
        {"nearest triples the width only", "upsample_nearest_neighbor",
         {Arg{"x", floats({1, 1, 2}, {1, 2})}, Arg{"scale_factor_width", scalarInt(3)}}, {1, 1, 6}, {1, 1, 1, 2, 2, 2}},
        {"nearest with a fractional factor floors the size", "upsample_nearest_neighbor",
         {Arg{"x", floats({1, 1, 2}, {1, 2})}, Arg{"scale_factor_width", scalarFloat(1.5)}}, {1, 1, 3}, {1, 1, 2}},
        {"nearest on ints", "upsample_nearest_neighbor",
         {Arg{"x", iota({1, 1, 2}, DataType::int32)}, Arg{"scale_factor_width", scalarInt(2)}}, {1, 1, 4}, {0, 0, 1, 1}},
    });
    const auto x = floats({1, 1, 2}, {0, 3});
    expectNear(runOne("upsample_bilinear", {Arg{"x", x}, Arg{"scale_factor_width", scalarInt(2)}}), {1, 1, 4},
               {0, 1, 2, 3});
    expectNear(runOne("upsample_bilinear",
                      {Arg{"x", x}, Arg{"scale_factor_width", scalarInt(2)}, Arg{"align_corners", scalarBool(false)}}),
               {1, 1, 4}, {0, 0.75, 2.25, 3});
    expectNear(runOne("upsample_bilinear", {Arg{"x", x}, Arg{"scale_factor_width", scalarInt(2)},
                                            Arg{"align_corners", scalarBool(false)},
                                            Arg{"half_pixel_centers", scalarBool(false)}}),
               {1, 1, 4}, {0, 1.5, 3, 3});
    std::vector<double> grid;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            grid.push_back(2.0 * i / 3 + j / 3.0);
        }
    }
    expectNear(runOne("upsample_bilinear", {Arg{"x", iota({1, 2, 2})}, Arg{"scale_factor_height", scalarInt(2)},
                                            Arg{"scale_factor_width", scalarInt(2)}}),
               {1, 4, 4}, grid);
}

// Big enough that the copies are split into ranges on the thread pool.
TEST(ShapeOpsTest, LargeTensorsSplitAcrossThreadsMatchAPlainLoop) {
    constexpr int rows = 300;
    constexpr int columns = 500;
    const auto transposed = runOne("transpose", {Arg{"x", iota({rows, columns})}, Arg{"perm", int64s({1, 0})}});
    ASSERT_EQ(transposed.shape(), (Shape{columns, rows}));
    int wrong = 0;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            wrong += transposed.floatValues()[static_cast<std::size_t>(c * rows + r)] != static_cast<float>(r * columns + c);
        }
    }
    EXPECT_EQ(wrong, 0);

    const auto reversed = runOne("slice_by_index", {Arg{"x", iota({rows, columns})}, Arg{"begin", int64s({0, 0})},
                                                    Arg{"end", int64s({0, 0})}, Arg{"stride", int64s({-1, 2})},
                                                    Arg{"begin_mask", flags({1, 1})}, Arg{"end_mask", flags({1, 1})}});
    ASSERT_EQ(reversed.shape(), (Shape{rows, columns / 2}));
    wrong = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns / 2; ++c) {
            wrong += reversed.floatValues()[static_cast<std::size_t>(r * columns / 2 + c)] !=
                     static_cast<float>((rows - 1 - r) * columns + 2 * c);
        }
    }
    EXPECT_EQ(wrong, 0);

    std::vector<std::int32_t> picks;
    for (int i = 0; i < 2 * rows; ++i) {
        picks.push_back((i * 7) % rows);
    }
    const auto gathered = runOne("gather", {Arg{"x", iota({rows, columns})},
                                            Arg{"indices", ints({static_cast<std::int64_t>(picks.size())}, picks)}});
    wrong = 0;
    for (std::size_t i = 0; i < picks.size(); ++i) {
        for (int c = 0; c < columns; ++c) {
            wrong += gathered.floatValues()[i * columns + static_cast<std::size_t>(c)] !=
                     static_cast<float>(picks[i] * columns + c);
        }
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
