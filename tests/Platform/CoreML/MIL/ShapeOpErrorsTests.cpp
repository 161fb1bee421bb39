#include "tests/Platform/CoreML/MIL/ShapeOpsTestSupport.hpp"

#include "Platform/CoreML/MLModelError.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace miltest;
using platform::coreml::MLModelError;

// A call the kernel must refuse, and words its message must contain.
struct ErrorCase {
    std::string name;
    std::string op;
    std::vector<Arg> args;
    std::vector<std::string> mentions;
    std::vector<ValueType> results = {};
};

TEST(ShapeOpErrorsTest, BadArgumentsFailWithClearMessages) {
    const auto x = iota({3, 2});
    const std::vector<ErrorCase> cases{
        {"gather index past the end", "gather", {Arg{"x", x}, Arg{"indices", int64s({0, 3})}}, {"index 3", "size 3"}},
        {"gather negative index past the start", "gather", {Arg{"x", x}, Arg{"indices", int64s({-4})}}, {"index -4"}},
        {"gather float indices", "gather", {Arg{"x", x}, Arg{"indices", floats({1}, {0})}}, {"indices", "integers"}},
        {"gather batch_dims beyond the axis", "gather",
         {Arg{"x", x}, Arg{"indices", ints({3, 1}, {0, 0, 0})}, Arg{"batch_dims", scalarInt(1)}}, {"batch_dims"}},
        {"gather_along_axis shapes differ", "gather_along_axis", {Arg{"x", x}, Arg{"indices", ints({2, 1}, {0, 0})}},
         {"[2, 1]", "[3, 2]"}},
        {"gather_nd index past the end", "gather_nd", {Arg{"x", x}, Arg{"indices", ints({1, 2}, {0, 2})}}, {"index 2"}},
        {"gather_nd tuple too long", "gather_nd", {Arg{"x", x}, Arg{"indices", ints({1, 3}, {0, 0, 0})}},
         {"[1, 3]", "[3, 2]"}},
        {"scatter index past the end", "scatter",
         {Arg{"data", x}, Arg{"indices", int64s({3})}, Arg{"updates", iota({1, 2})}}, {"index 3"}},
        {"scatter updates of the wrong shape", "scatter",
         {Arg{"data", x}, Arg{"indices", int64s({0})}, Arg{"updates", iota({2, 2})}}, {"[2, 2]", "[1, 2]"}},
        {"scatter unknown mode", "scatter",
         {Arg{"data", x}, Arg{"indices", int64s({0})}, Arg{"updates", iota({1, 2})}, Arg{"mode", text("xor")}},
         {"\"xor\""}},
        {"scatter integer division by zero", "scatter",
         {Arg{"data", ints({1}, {4})}, Arg{"indices", int64s({0})}, Arg{"updates", ints({1}, {0})},
          Arg{"mode", text("div")}},
         {"zero"}},
        {"scatter_nd index past the end", "scatter_nd",
         {Arg{"data", x}, Arg{"indices", ints({1, 2}, {3, 0})}, Arg{"updates", floats({1}, {1})}}, {"index 3"}},
        {"transpose repeats an axis", "transpose", {Arg{"x", x}, Arg{"perm", int64s({0, 0})}}, {"[0, 0]", "[3, 2]"}},
        {"transpose with too few axes", "transpose", {Arg{"x", x}, Arg{"perm", int64s({0})}}, {"[0]", "[3, 2]"}},
        {"concat shapes differ outside the axis", "concat",
         {Arg{"values", std::vector<Tensor>{iota({2, 3}), iota({3, 3})}}, Arg{"axis", scalarInt(1)}},
         {"[3, 3]", "[2, 3]"}},
        {"concat ranks differ", "concat",
         {Arg{"values", std::vector<Tensor>{iota({2, 3}), iota({3})}}, Arg{"axis", scalarInt(0)}}, {"[3]", "[2, 3]"}},
        {"concat interleave of unequal shapes", "concat",
         {Arg{"values", std::vector<Tensor>{iota({2, 3}), iota({1, 3})}}, Arg{"axis", scalarInt(0)},
          Arg{"interleave", scalarBool(true)}},
         {"[1, 3]", "[2, 3]"}},
        {"concat of floats and ints", "concat",
         {Arg{"values", std::vector<Tensor>{iota({2}), iota({2}, DataType::int32)}}, Arg{"axis", scalarInt(0)}},
         {"fp32", "int32"}},
        {"concat axis out of range", "concat", {Arg{"values", std::vector<Tensor>{x}}, Arg{"axis", scalarInt(2)}},
         {"axis 2"}},
        {"stack shapes differ", "stack",
         {Arg{"values", std::vector<Tensor>{iota({2}), iota({3})}}, Arg{"axis", scalarInt(0)}}, {"[3]", "[2]"}},
        {"reshape count mismatch", "reshape", {Arg{"x", x}, Arg{"shape", int64s({4, 2})}}, {"[3, 2]", "[4, 2]"}},
        {"reshape -1 that cannot be inferred", "reshape", {Arg{"x", x}, Arg{"shape", int64s({4, -1})}},
         {"[3, 2]", "[4, -1]"}},
        {"reshape with two -1", "reshape", {Arg{"x", x}, Arg{"shape", int64s({-1, -1})}}, {"-1"}},
        {"reshape negative size", "reshape", {Arg{"x", x}, Arg{"shape", int64s({-2, -3})}}, {"[-2, -3]"}},
        {"expand_dims axis out of range", "expand_dims", {Arg{"x", x}, Arg{"axes", int64s({3})}}, {"axis 3"}},
        {"squeeze a dimension that is not 1", "squeeze", {Arg{"x", x}, Arg{"axes", int64s({0})}}, {"[3, 2]"}},
        {"tile reps of the wrong length", "tile", {Arg{"x", x}, Arg{"reps", int64s({2})}}, {"[2]", "[3, 2]"}},
        {"slice with a zero stride", "slice_by_index",
         {Arg{"x", x}, Arg{"begin", int64s({0, 0})}, Arg{"end", int64s({3, 2})}, Arg{"stride", int64s({1, 0})}},
         {"stride", "axis 1"}},
        {"slice squeezes an index past the end", "slice_by_index",
         {Arg{"x", x}, Arg{"begin", int64s({3, 0})}, Arg{"end", int64s({4, 2})}, Arg{"squeeze_mask", flags({1, 0})}},
         {"index 3"}},
        {"slice begin of the wrong length", "slice_by_index",
         {Arg{"x", x}, Arg{"begin", int64s({0})}, Arg{"end", int64s({3, 2})}}, {"begin", "rank 2"}},
        {"slice_by_size past the end", "slice_by_size",
         {Arg{"x", x}, Arg{"begin", int64s({2, 0})}, Arg{"size", int64s({2, -1})}}, {"[3, 2]"}},
        {"slice_update of the wrong shape", "slice_update",
         {Arg{"x", x}, Arg{"update", iota({2, 2})}, Arg{"begin", int64s({0, 0})}, Arg{"end", int64s({1, 2})}},
         {"[2, 2]", "[1, 2]"}},
        {"slice_update of the same count but another shape", "slice_update",
         {Arg{"x", x}, Arg{"update", iota({2, 1})}, Arg{"begin", int64s({0, 0})}, Arg{"end", int64s({1, 2})}},
         {"[2, 1]", "[1, 2]"}},
        {"slice_update of another kind", "slice_update",
         {Arg{"x", x}, Arg{"update", iota({1, 2}, DataType::int32)}, Arg{"begin", int64s({0, 0})},
          Arg{"end", int64s({1, 2})}},
         {"int32", "fp32"}},
        {"split into unequal pieces", "split", {Arg{"x", x}, Arg{"axis", scalarInt(0)}, Arg{"num_splits", scalarInt(2)}},
         {"size 3", "2"}},
        {"split sizes that do not add up", "split",
         {Arg{"x", x}, Arg{"axis", scalarInt(0)}, Arg{"split_sizes", int64s({1, 1})}}, {"[1, 1]", "3"}},
        {"split declared results disagree", "split",
         {Arg{"x", x}, Arg{"axis", scalarInt(0)}, Arg{"num_splits", scalarInt(3)}}, {"2 results", "3 pieces"},
         {tensorType(DataType::fp32, {1, 2}), tensorType(DataType::fp32, {1, 2})}},
        {"pad reflect wider than the axis", "pad",
         {Arg{"x", x}, Arg{"pad", int64s({2, 0})}, Arg{"mode", text("reflect")}}, {"size 2"}},
        {"pad with an odd count", "pad", {Arg{"x", x}, Arg{"pad", int64s({1})}}, {"[1]", "[3, 2]"}},
        {"pad unknown mode", "pad", {Arg{"x", x}, Arg{"pad", int64s({1, 1})}, Arg{"mode", text("wrap")}}, {"\"wrap\""}},
        {"one_hot index past the size", "one_hot",
         {Arg{"indices", int64s({3})}, Arg{"one_hot_vector_size", scalarInt(3)}}, {"index 3"}},
        {"range with a zero step", "range_1d",
         {Arg{"end", scalarInt(3)}, Arg{"start", scalarInt(0)}, Arg{"step", scalarInt(0)}}, {"steps of 0"}},
        {"fill a negative shape", "fill", {Arg{"shape", int64s({2, -1})}}, {"[2, -1]"}},
        {"band_part of a vector", "band_part", {Arg{"x", iota({3})}}, {"[3]"}},
        {"reverse_sequence length past the end", "reverse_sequence",
         {Arg{"x", x}, Arg{"lengths", int64s({1, 4})}, Arg{"seq_axis", scalarInt(0)}, Arg{"batch_axis", scalarInt(1)}},
         {"length 4"}},
        {"depth_to_space channels not divisible", "depth_to_space",
         {Arg{"x", iota({1, 3, 1, 1})}, Arg{"block_size", scalarInt(2)}}, {"[1, 3, 1, 1]", "4"}},
        {"sliding window larger than the axis", "sliding_windows",
         {Arg{"x", x}, Arg{"axis", scalarInt(1)}, Arg{"size", scalarInt(3)}}, {"size 3", "[3, 2]"}},
        {"upsample by a non-positive factor", "upsample_nearest_neighbor",
         {Arg{"x", iota({1, 2, 2})}, Arg{"scale_factor_height", scalarFloat(0)}}, {"scale factors"}},
        {"bilinear upsampling of ints", "upsample_bilinear", {Arg{"x", iota({1, 2, 2}, DataType::int32)}}, {"int32"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            runKernel(c.op, c.args, c.results);
            ADD_FAILURE() << "no error";
        } catch (const MLModelError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("The operation " + c.op + " cannot run"), std::string::npos) << message;
            for (const auto& mention : c.mentions) {
                EXPECT_NE(message.find(mention), std::string::npos) << message << " lacks " << mention;
            }
        }
    }
}

} // namespace
