// Operations that move elements to new places, each one or a few strided
// copies: transposes, tiles, reversals and the depth/space rearrangements.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"

#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

// `x` read as a dense tensor of shape `view`, with its axes taken in the order `order`.
Tensor permuted(const Tensor& x, const Shape& view, const std::vector<std::size_t>& order) {
    const auto strides = denseStrides(view);
    StridedLayout layout;
    Shape extent;
    for (const auto axis : order) {
        layout.strides.push_back(strides[axis]);
        extent.push_back(view[axis]);
    }
    return copyOfView(x, layout, extent);
}

std::vector<Tensor> transpose(const OpCall& call) {
    const auto& x = call.input("x");
    const auto perm = integerValues(call, call.input("perm"), "perm");
    const auto problem = "the permutation " + describeShape(perm) + " does not fit " + describeShape(x.shape());
    if (static_cast<std::int64_t>(perm.size()) != x.rank()) {
        call.fail(problem);
    }
    std::vector<std::size_t> order;
    std::vector<bool> seen(perm.size(), false);
    for (const auto axis : perm) {
        const auto normalised = axis < 0 ? axis + x.rank() : axis;
        if (normalised < 0 || normalised >= x.rank() || seen[static_cast<std::size_t>(normalised)]) {
            call.fail(problem);
        }
        seen[static_cast<std::size_t>(normalised)] = true;
        order.push_back(static_cast<std::size_t>(normalised));
    }
    return {permuted(x, x.shape(), order)};
}

// Every output axis d is split into (repeat, size) with the repeat stepping 0.
std::vector<Tensor> tile(const OpCall& call) {
    const auto& x = call.input("x");
    const auto reps = integerValues(call, call.input("reps"), "reps");
    if (static_cast<std::int64_t>(reps.size()) != x.rank()) {
        call.fail("reps " + describeShape(reps) + " must have one entry per dimension of " + describeShape(x.shape()));
    }
    const auto strides = denseStrides(x.shape());
    StridedLayout layout;
    Shape extent;
    Shape shape;
    for (std::size_t d = 0; d < reps.size(); ++d) {
        if (reps[d] < 0) {
            call.fail("reps " + describeShape(reps) + " has a negative entry");
        }
        extent.insert(extent.end(), {reps[d], x.shape()[d]});
        layout.strides.insert(layout.strides.end(), {0, strides[d]});
    }
    checkedCount(call, extent);
    for (std::size_t d = 0; d < reps.size(); ++d) {
        shape.push_back(reps[d] * x.shape()[d]);
    }
    return {copyOfView(x, layout, extent).reshaped(std::move(shape))};
}

std::vector<Tensor> reverse(const OpCall& call) {
    const auto& x = call.input("x");
    auto layout = denseLayout(x.shape());
    std::vector<bool> reversed(x.shape().size(), !call.has("axes"));
    if (call.has("axes")) {
        for (const auto axis : integerValues(call, call.input("axes"), "axes")) {
            const auto d = static_cast<std::size_t>(normaliseAxis(call, axis, x.rank()));
            if (reversed[d]) {
                call.fail("axis " + std::to_string(axis) + " is named twice for " + describeShape(x.shape()));
            }
            reversed[d] = true;
        }
    }
    for (std::size_t d = 0; d < reversed.size(); ++d) {
        if (reversed[d] && x.shape()[d] > 0) {
            layout.offset += (x.shape()[d] - 1) * layout.strides[d];
            layout.strides[d] = -layout.strides[d];
        }
    }
    return {copyOfView(x, layout, x.shape())};
}

// Per batch entry b: the first lengths[b] steps along the sequence axis reversed, the rest kept.
std::vector<Tensor> reverseSequence(const OpCall& call) {
    const auto& x = call.input("x");
    const auto seqAxis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("seq_axis", 0), x.rank()));
    const auto batchAxis = static_cast<std::size_t>(normaliseAxis(call, call.intParameter("batch_axis", 0), x.rank()));
    if (seqAxis == batchAxis) {
        call.fail("the sequence and batch axes are both " + std::to_string(seqAxis));
    }
    const auto lengths = integerValues(call, call.input("lengths"), "lengths");
    const auto batch = x.shape()[batchAxis];
    const auto steps = x.shape()[seqAxis];
    if (static_cast<std::int64_t>(lengths.size()) != batch) {
        call.fail(std::to_string(lengths.size()) + " lengths for a batch of " + std::to_string(batch) + " in " +
                  describeShape(x.shape()));
    }
    Tensor result(x.dataType(), x.shape());
    const auto dense = denseLayout(x.shape());
    const auto seqStride = dense.strides[seqAxis];
    for (std::int64_t b = 0; b < batch; ++b) {
        const auto length = lengths[static_cast<std::size_t>(b)];
        if (length < 0 || length > steps) {
            call.fail("length " + std::to_string(length) + " exceeds the " + std::to_string(steps) +
                      " steps of " + describeShape(x.shape()));
        }
        auto extent = x.shape();
        extent[batchAxis] = 1;
        auto from = dense;
        auto to = dense;
        from.offset = to.offset = b * dense.strides[batchAxis];
        extent[seqAxis] = length;
        from.offset += (length - 1) * seqStride;
        from.strides[seqAxis] = -seqStride;
        copyStrided(x, from, result, to, extent);
        extent[seqAxis] = steps - length;
        from.offset = to.offset = b * dense.strides[batchAxis] + length * seqStride;
        from.strides[seqAxis] = seqStride;
        copyStrided(x, from, result, to, extent);
    }
    return {result};
}

struct BlockShape {
    std::int64_t n, c, h, w;
};

BlockShape rank4(const OpCall& call, const Tensor& x, std::int64_t block, const char* name) {
    if (x.rank() != 4) {
        call.fail("x must be [N, C, H, W], not " + describeShape(x.shape()));
    }
    if (block < 1) {
        call.fail(std::string(name) + " must be at least 1, not " + std::to_string(block));
    }
    return {x.shape()[0], x.shape()[1], x.shape()[2], x.shape()[3]};
}

void requireDivisible(const OpCall& call, const Tensor& x, std::int64_t size, std::int64_t by, const char* what) {
    if (size % by != 0) {
        call.fail(std::string(what) + " of " + describeShape(x.shape()) + " is not divisible by " + std::to_string(by));
    }
}

// Channel (bh·b + bw)·C' + c of the input moves to channel c at (h·b + bh, w·b + bw).
std::vector<Tensor> depthToSpace(const OpCall& call) {
    const auto& x = call.input("x");
    const auto b = call.intParameter("block_size");
    const auto s = rank4(call, x, b, "block_size");
    requireDivisible(call, x, s.c, b * b, "the channel count");
    const auto c = s.c / (b * b);
    return {permuted(x, {s.n, b, b, c, s.h, s.w}, {0, 3, 4, 1, 5, 2}).reshaped({s.n, c, s.h * b, s.w * b})};
}

std::vector<Tensor> spaceToDepth(const OpCall& call) {
    const auto& x = call.input("x");
    const auto b = call.intParameter("block_size");
    const auto s = rank4(call, x, b, "block_size");
    requireDivisible(call, x, s.h, b, "the height");
    requireDivisible(call, x, s.w, b, "the width");
    return {permuted(x, {s.n, s.c, s.h / b, b, s.w / b, b}, {0, 3, 5, 1, 2, 4})
                .reshaped({s.n, s.c * b * b, s.h / b, s.w / b})};
}

// Channel c·r² + bh·r + bw of the input moves to channel c at (h·r + bh, w·r + bw).
std::vector<Tensor> pixelShuffle(const OpCall& call) {
    const auto& x = call.input("x");
    const auto r = call.intParameter("upscale_factor");
    const auto s = rank4(call, x, r, "upscale_factor");
    requireDivisible(call, x, s.c, r * r, "the channel count");
    const auto c = s.c / (r * r);
    return {permuted(x, {s.n, c, r, r, s.h, s.w}, {0, 1, 4, 2, 5, 3}).reshaped({s.n, c, s.h * r, s.w * r})};
}

std::vector<Tensor> pixelUnshuffle(const OpCall& call) {
    const auto& x = call.input("x");
    const auto r = call.intParameter("downscale_factor");
    const auto s = rank4(call, x, r, "downscale_factor");
    requireDivisible(call, x, s.h, r, "the height");
    requireDivisible(call, x, s.w, r, "the width");
    return {permuted(x, {s.n, s.c, s.h / r, r, s.w / r, r}, {0, 1, 3, 5, 2, 4})
                .reshaped({s.n, s.c * r * r, s.h / r, s.w / r})};
}

} // namespace

void registerRearrangeOps(OpRegistry& registry) {
    registry.add("transpose", {transpose, {"x", "perm"}});
    registry.add("tile", {tile, {"x", "reps"}});
    registry.add("reverse", {reverse, {"x"}});
    registry.add("reverse_sequence", {reverseSequence, {"x", "lengths"}});
    registry.add("depth_to_space", {depthToSpace, {"x", "block_size"}});
    registry.add("space_to_depth", {spaceToDepth, {"x", "block_size"}});
    registry.add("pixel_shuffle", {pixelShuffle, {"x", "upscale_factor"}});
    registry.add("pixel_unshuffle", {pixelUnshuffle, {"x", "downscale_factor"}});
}

} // namespace platform::coreml::mil::shapeops
