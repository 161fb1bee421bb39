#include "tests/Platform/CoreML/MIL/ShapeOpsTestSupport.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace miltest;

// x = iota(shape)[slices]; absent lists leave the argument out.
struct SliceCase {
    std::string name;
    Shape shape;
    std::vector<std::int64_t> begin;
    std::vector<std::int64_t> end;
    std::vector<std::int64_t> stride;
    std::vector<std::uint8_t> beginMask;
    std::vector<std::uint8_t> endMask;
    std::vector<std::uint8_t> squeezeMask;
    Shape expectedShape;
    std::vector<double> expected;
};

std::vector<Arg> sliceArgs(const SliceCase& c) {
    std::vector<Arg> args{Arg{"begin", int64s(c.begin)}, Arg{"end", int64s(c.end)}};
    if (!c.stride.empty()) {
        args.emplace_back("stride", int64s(c.stride));
    }
    if (!c.beginMask.empty()) {
        args.emplace_back("begin_mask", flags(c.beginMask));
    }
    if (!c.endMask.empty()) {
        args.emplace_back("end_mask", flags(c.endMask));
    }
    if (!c.squeezeMask.empty()) {
        args.emplace_back("squeeze_mask", flags(c.squeezeMask));
    }
    return args;
}

TEST(SliceOpsTest, SliceByIndexFollowsPythonSlicing) {
    const std::vector<SliceCase> cases{
        {"x[2:5]", {10}, {2}, {5}, {}, {}, {}, {}, {3}, {2, 3, 4}},
        {"x[8:2:-2]", {10}, {8}, {2}, {-2}, {}, {}, {}, {3}, {8, 6, 4}},
        {"x[::-1]", {10}, {0}, {0}, {-1}, {1}, {1}, {}, {10}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {"x[-3:10]", {10}, {-3}, {10}, {}, {}, {}, {}, {3}, {7, 8, 9}},
        {"x[-1:-4:-1]", {10}, {-1}, {-4}, {-1}, {}, {}, {}, {3}, {9, 8, 7}},
        {"x[2:100:3] clamps the end", {10}, {2}, {100}, {3}, {}, {}, {}, {3}, {2, 5, 8}},
        {"x[-100:3] clamps the begin", {10}, {-100}, {3}, {}, {}, {}, {}, {3}, {0, 1, 2}},
        {"x[2:-100:-1] runs to the start", {10}, {2}, {-100}, {-1}, {}, {}, {}, {3}, {2, 1, 0}},
        {"x[5:2] is empty", {10}, {5}, {2}, {}, {}, {}, {}, {0}, {}},
        {"x[5:-1:-1] is empty because -1 is the last element", {10}, {5}, {-1}, {-1}, {}, {}, {}, {0}, {}},
        {"x[3::-1] runs to the start", {10}, {3}, {0}, {-1}, {0}, {1}, {}, {4}, {3, 2, 1, 0}},
        {"x[:3:-1] starts at the end", {10}, {0}, {3}, {-1}, {1}, {0}, {}, {6}, {9, 8, 7, 6, 5, 4}},
        {"x[-2] squeezes to a scalar", {10}, {-2}, {0}, {}, {}, {}, {1}, {}, {8}},
        {"x[:, 1:3]", {3, 4}, {0, 1}, {0, 3}, {}, {1, 0}, {1, 0}, {}, {3, 2}, {1, 2, 5, 6, 9, 10}},
        {"x[1, ::-2]", {3, 4}, {1, 0}, {0, 0}, {1, -2}, {0, 1}, {0, 1}, {1, 0}, {2}, {7, 5}},
        {"x[2:0:-1, 3:0:-2]", {3, 4}, {2, 3}, {0, 0}, {-1, -2}, {}, {}, {}, {2, 2}, {11, 9, 7, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = sliceArgs(c);
        args.emplace_back("x", iota(c.shape));
        expectTensor(runOne("slice_by_index", args), c.expectedShape, c.expected);
    }
}

TEST(SliceOpsTest, SliceBySizeReachesTheEndWithMinusOne) {
    const auto x = iota({3, 4});
    expectTensor(runOne("slice_by_size", {Arg{"x", x}, Arg{"begin", int64s({1, 1})}, Arg{"size", int64s({2, -1})}}),
                 {2, 3}, {5, 6, 7, 9, 10, 11});
    expectTensor(runOne("slice_by_size", {Arg{"x", x}, Arg{"begin", int64s({0, 2})}, Arg{"size", int64s({-1, 1})}}),
                 {3, 1}, {2, 6, 10});
}

TEST(SliceOpsTest, SliceKeepsIntStorage) {
    const auto result =
        runOne("slice_by_index", {Arg{"x", iota({4}, DataType::int32)}, Arg{"begin", int64s({1})}, Arg{"end", int64s({3})}});
    EXPECT_EQ(result.dataType(), DataType::int32);
    expectTensor(result, {2}, {1, 2});
}

// A key cache [batch 1, heads 2, positions 5, width 4] gets one position written.
TEST(SliceOpsTest, SliceUpdateWritesOnePositionOfACache) {
    const auto cache = iota({1, 2, 5, 4});
    const auto update = floats({1, 2, 1, 4}, {100, 101, 102, 103, 200, 201, 202, 203});
    const auto result = runOne("slice_update", {Arg{"x", cache}, Arg{"update", update}, Arg{"begin", int64s({0, 0, 3, 0})},
                                                Arg{"end", int64s({1, 2, 4, 4})}});
    std::vector<double> expected;
    for (int head = 0; head < 2; ++head) {
        for (int position = 0; position < 5; ++position) {
            for (int i = 0; i < 4; ++i) {
                expected.push_back(position == 3 ? 100 * (head + 1) + i : head * 20 + position * 4 + i);
            }
        }
    }
    expectTensor(result, {1, 2, 5, 4}, expected);
    expectTensor(cache, {1, 2, 5, 4}, valuesOf(iota({1, 2, 5, 4})));
}

TEST(SliceOpsTest, SliceUpdateTakesASqueezedUpdateAndNegativeStrides) {
    const auto cache = iota({1, 2, 5, 4});
    const auto squeezed = runOne("slice_update", {Arg{"x", cache}, Arg{"update", floats({1, 2, 4}, {9, 9, 9, 9, 8, 8, 8, 8})},
                                                  Arg{"begin", int64s({0, 0, -1, 0})}, Arg{"end", int64s({1, 2, 0, 4})},
                                                  Arg{"squeeze_mask", flags({0, 0, 1, 0})}});
    EXPECT_EQ(squeezed.numberAt(16), 9);
    EXPECT_EQ(squeezed.numberAt(39), 8);
    EXPECT_EQ(squeezed.numberAt(15), 15);
    expectTensor(runOne("slice_update", {Arg{"x", Tensor(DataType::fp32, {6})}, Arg{"update", floats({3}, {1, 2, 3})},
                                         Arg{"begin", int64s({5})}, Arg{"end", int64s({0})}, Arg{"stride", int64s({-2})}}),
                 {6}, {0, 3, 0, 2, 0, 1});
}

TEST(SliceOpsTest, SlidingWindows) {
    expectTensor(runOne("sliding_windows", {Arg{"x", iota({1, 7})}, Arg{"axis", scalarInt(1)}, Arg{"size", scalarInt(3)},
                                            Arg{"stride", scalarInt(2)}}),
                 {1, 3, 3}, {0, 1, 2, 2, 3, 4, 4, 5, 6});
    expectTensor(runOne("sliding_windows", {Arg{"x", iota({5})}, Arg{"axis", scalarInt(-1)}, Arg{"size", scalarInt(4)}}),
                 {2, 4}, {0, 1, 2, 3, 1, 2, 3, 4});
}

} // namespace
