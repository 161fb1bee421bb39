#include "tests/Platform/CoreML/MIL/ShapeOpsTestSupport.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace miltest;

struct IndexCase {
    std::string name;
    std::string op;
    std::vector<Arg> args;
    Shape shape;
    std::vector<double> values;
};

void runTable(const std::vector<IndexCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectNear(runOne(c.op, c.args), c.shape, c.values);
    }
}

TEST(GatherOpsTest, GatherTakesSlicesAlongAnAxis) {
    const auto x = iota({3, 2}); // [[0, 1], [2, 3], [4, 5]]
    runTable({
        {"rows", "gather", {Arg{"x", x}, Arg{"indices", int64s({2, 0})}}, {2, 2}, {4, 5, 0, 1}},
        {"negative index counts from the end", "gather", {Arg{"x", x}, Arg{"indices", int64s({-1, -3})}}, {2, 2},
         {4, 5, 0, 1}},
        {"scalar index drops the axis", "gather", {Arg{"x", x}, Arg{"indices", scalarInt(1)}}, {2}, {2, 3}},
        {"axis 1 with a matrix of indices", "gather",
         {Arg{"x", iota({2, 3})}, Arg{"indices", ints({2, 2}, {0, 2, 1, 1})}, Arg{"axis", scalarInt(-1)}}, {2, 2, 2},
         {0, 2, 1, 1, 3, 5, 4, 4}},
        {"batch_dims 1 picks per batch row", "gather",
         {Arg{"x", iota({2, 3})}, Arg{"indices", ints({2, 2}, {2, 0, 1, 1})}, Arg{"axis", scalarInt(1)},
          Arg{"batch_dims", scalarInt(1)}},
         {2, 2}, {2, 0, 4, 4}},
        {"batch_dims 1 with an axis behind a kept one", "gather",
         {Arg{"x", iota({2, 2, 3})}, Arg{"indices", ints({2, 1}, {0, 2})}, Arg{"axis", scalarInt(2)},
          Arg{"batch_dims", scalarInt(1)}},
         {2, 2, 1}, {0, 3, 8, 11}},
        {"along axis 1", "gather_along_axis",
         {Arg{"x", iota({2, 3})}, Arg{"indices", ints({2, 2}, {2, 0, 1, -1})}, Arg{"axis", scalarInt(1)}}, {2, 2},
         {2, 0, 4, 5}},
        {"along axis 0", "gather_along_axis", {Arg{"x", iota({2, 3})}, Arg{"indices", ints({1, 3}, {1, 0, 1})}},
         {1, 3}, {3, 1, 5}},
        {"nd to elements", "gather_nd", {Arg{"x", iota({2, 3})}, Arg{"indices", ints({2, 2}, {1, 2, 0, -3})}}, {2},
         {5, 0}},
        {"nd to rows", "gather_nd", {Arg{"x", iota({2, 3})}, Arg{"indices", ints({1, 1}, {1})}}, {1, 3}, {3, 4, 5}},
        {"nd with batch_dims 1", "gather_nd",
         {Arg{"x", iota({2, 3, 2})}, Arg{"indices", ints({2, 1, 1}, {1, 2})}, Arg{"batch_dims", scalarInt(1)}},
         {2, 1, 2}, {2, 3, 10, 11}},
    });
}

TEST(GatherOpsTest, GatherMovesAnyStorage) {
    const auto fromInts = runOne("gather", {Arg{"x", iota({3}, DataType::int32)}, Arg{"indices", int64s({2, 2})}});
    EXPECT_EQ(fromInts.dataType(), DataType::int32);
    expectTensor(fromInts, {2}, {2, 2});
    const auto fromBools = runOne("gather", {Arg{"x", flags({0, 1})}, Arg{"indices", int64s({1, 0, 1})}});
    EXPECT_EQ(fromBools.dataType(), DataType::boolean);
    expectTensor(fromBools, {3}, {1, 0, 1});
}

// data [1, 2, 3, 4]; indices [1, 3, 1]; updates [10, 20, -5]: index 1 is hit twice, in order.
TEST(ScatterOpsTest, ScatterModesCombineInOrder) {
    const std::vector<std::pair<std::string, std::vector<double>>> modes{
        {"update", {1, -5, 3, 20}},     {"add", {1, 7, 3, 24}},   {"sub", {1, -3, 3, -16}},
        {"mul", {1, -100, 3, 80}},      {"div", {1, -0.04, 3, 0.2}}, {"max", {1, 10, 3, 20}},
        {"min", {1, -5, 3, 4}},
    };
    for (const auto& [mode, expected] : modes) {
        SCOPED_TRACE(mode);
        expectNear(runOne("scatter", {Arg{"data", floats({4}, {1, 2, 3, 4})}, Arg{"indices", int64s({1, 3, 1})},
                                      Arg{"updates", floats({3}, {10, 20, -5})}, Arg{"mode", text(mode)}}),
                   {4}, expected);
    }
}

TEST(ScatterOpsTest, ScatterVariants) {
    runTable({
        {"mode defaults to add", "scatter",
         {Arg{"data", floats({2}, {1, 1})}, Arg{"indices", int64s({0, 0})}, Arg{"updates", floats({2}, {1, 1})}}, {2},
         {3, 1}},
        {"integer division truncates", "scatter",
         {Arg{"data", ints({4}, {7, -7, 9, 1})}, Arg{"indices", int64s({0, 1})}, Arg{"updates", ints({2}, {2, 2})},
          Arg{"mode", text("div")}},
         {4}, {3, -3, 9, 1}},
        {"along axis 1 with a negative index", "scatter",
         {Arg{"data", Tensor(DataType::fp32, {2, 3})}, Arg{"indices", int64s({-1, 0})},
          Arg{"updates", floats({2, 2}, {1, 2, 3, 4})}, Arg{"axis", scalarInt(1)}, Arg{"mode", text("update")}},
         {2, 3}, {2, 0, 1, 4, 0, 3}},
        {"scatter_along_axis adds", "scatter_along_axis",
         {Arg{"data", Tensor(DataType::fp32, {2, 3})}, Arg{"indices", ints({2, 2}, {2, 0, 1, 1})},
          Arg{"updates", floats({2, 2}, {5, 6, 7, 8})}, Arg{"axis", scalarInt(1)}, Arg{"mode", text("add")}},
         {2, 3}, {6, 0, 5, 0, 15, 0}},
        {"scatter_along_axis updates", "scatter_along_axis",
         {Arg{"data", Tensor(DataType::fp32, {2, 3})}, Arg{"indices", ints({2, 2}, {2, 0, 1, 1})},
          Arg{"updates", floats({2, 2}, {5, 6, 7, 8})}, Arg{"axis", scalarInt(-1)}, Arg{"mode", text("update")}},
         {2, 3}, {6, 0, 5, 0, 8, 0}},
        {"scatter_nd adds elements", "scatter_nd",
         {Arg{"data", Tensor(DataType::fp32, {2, 3})}, Arg{"indices", ints({3, 2}, {1, 2, 0, 0, 1, -1})},
          Arg{"updates", floats({3}, {1, 2, 3})}, Arg{"mode", text("add")}},
         {2, 3}, {2, 0, 0, 0, 0, 4}},
        {"scatter_nd updates elements", "scatter_nd",
         {Arg{"data", Tensor(DataType::fp32, {2, 3})}, Arg{"indices", ints({3, 2}, {1, 2, 0, 0, 1, 2})},
          Arg{"updates", floats({3}, {1, 2, 3})}, Arg{"mode", text("update")}},
         {2, 3}, {2, 0, 0, 0, 0, 3}},
        {"scatter_nd replaces a row", "scatter_nd",
         {Arg{"data", Tensor(DataType::fp32, {2, 3})}, Arg{"indices", ints({1, 1}, {1})},
          Arg{"updates", floats({1, 3}, {7, 8, 9})}, Arg{"mode", text("update")}},
         {2, 3}, {0, 0, 0, 7, 8, 9}},
    });
}

TEST(ScatterOpsTest, ScatterLeavesTheDataUntouched) {
    const auto data = floats({2}, {1, 2});
    runOne("scatter", {Arg{"data", data}, Arg{"indices", int64s({0})}, Arg{"updates", floats({1}, {5})}});
    expectTensor(data, {2}, {1, 2});
}

} // namespace
