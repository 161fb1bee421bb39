// Palettized weights: indices into lookup tables, dense or sparse. The packed
// form holds uint8 bytes of LSB-first indices and one table; the typed form
// holds one index per position and a table per block, whose entries may be
// vectors spread along `vector_axis`.

#include "Platform/CoreML/MIL/Ops/ConstexprKernels.hpp"
#include "Platform/CoreML/MIL/Ops/ConstexprSupport.hpp"
#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MIL/SubBytePacking.hpp"

#include <algorithm>
#include <bit>
#include <string>

namespace platform::coreml::mil {
namespace {

// The per-block tables of the typed form over indices of `indexShape`.
struct LutLayout {
    Shape table;     // blocks per dimension
    std::int64_t entries = 0;
    std::int64_t vectorSize = 1;
    std::int64_t vectorAxis = -1; // only when vectorSize > 1
    Shape outputShape;
    std::vector<std::int64_t> multipliers; // output offset per step of each index dimension
};

LutLayout lutLayout(const OpCall& call, const Shape& indexShape, const Tensor& lut) {
    const auto rank = indexShape.size();
    if (lut.shape().size() != rank + 2) {
        call.fail("\"lut\" " + describeShape(lut.shape()) + " must have rank " + std::to_string(rank + 2) +
                  " for indices of shape " + describeShape(indexShape));
    }
    LutLayout layout;
    layout.table.assign(lut.shape().begin(), lut.shape().begin() + static_cast<std::ptrdiff_t>(rank));
    layout.entries = lut.shape()[rank];
    layout.vectorSize = lut.shape()[rank + 1];
    checkBlockTable(call, indexShape, layout.table, "lut");
    if (layout.entries < 1 || layout.vectorSize < 1) {
        call.fail("\"lut\" " + describeShape(lut.shape()) + " has no entries");
    }
    layout.outputShape = indexShape;
    if (layout.vectorSize > 1) {
        if (!call.has("vector_axis")) {
            call.fail("a table of vectors needs a \"vector_axis\"");
        }
        layout.vectorAxis = normaliseAxis(call, call.intParameter("vector_axis"), static_cast<std::int64_t>(rank));
        layout.outputShape[static_cast<std::size_t>(layout.vectorAxis)] *= layout.vectorSize;
    }
    layout.multipliers = shapeops::denseStrides(layout.outputShape);
    if (layout.vectorAxis >= 0) {
        layout.multipliers[static_cast<std::size_t>(layout.vectorAxis)] *= layout.vectorSize;
    }
    return layout;
}

// Calls place(indexPosition, lutOffset, outputOffset, vectorStride) for the
// element at each index position of `rows` [begin, end); lutOffset is that of
// entry 0 of the element's table.
template <typename Place>
void forEachIndex(const LutLayout& lut, const Shape& indexShape, const BlockLayout& blocks, std::int64_t begin,
                  std::int64_t end, Place&& place) {
    const auto rank = indexShape.size();
    const auto lastMultiplier = rank > 0 ? lut.multipliers.back() : 0;
    const auto vectorStride = lut.vectorAxis >= 0 ? shapeops::denseStrides(lut.outputShape)[static_cast<std::size_t>(lut.vectorAxis)] : 0;
    for (auto row = begin; row < end; ++row) {
        std::int64_t outputBase = 0;
        auto rest = row;
        for (auto d = rank > 0 ? rank - 1 : 0; d-- > 0;) {
            outputBase += rest % indexShape[d] * lut.multipliers[d];
            rest /= indexShape[d];
        }
        const auto lutBase = blocks.rowOffset(row);
        for (std::int64_t c = 0; c < blocks.rowLength(); ++c) {
            place(row * blocks.rowLength() + c, lutBase + blocks.columnOffset(c), outputBase + c * lastMultiplier, vectorStride);
        }
    }
}

std::int32_t checkedIndex(const OpCall& call, std::int32_t index, std::int64_t entries) {
    if (index < 0 || index >= entries) {
        call.fail("index " + std::to_string(index) + " is outside a table of " + std::to_string(entries) + " entries");
    }
    return index;
}

Tensor packedLutToDense(const OpCall& call) {
    const auto& lut = call.input("lut");
    const auto& indices = call.input("indices");
    const auto shape = shapeParameter(call, "shape");
    if (lut.rank() != 1 || !std::has_single_bit(static_cast<std::uint64_t>(lut.count())) || lut.count() < 2 ||
        lut.count() > 256) {
        call.fail("a packed \"lut\" must be a vector of 2, 4, ... or 256 entries, not " + describeShape(lut.shape()));
    }
    const auto bits = std::countr_zero(static_cast<std::uint64_t>(lut.count()));
    const auto bytes = packedBytes(call, indices, "indices");
    const auto count = shapeCount(call, shape);
    if (count > static_cast<std::int64_t>(bytes.size()) * 8 ||
        packedByteCount(static_cast<std::uint64_t>(count), bits) != bytes.size()) {
        call.fail(std::to_string(bytes.size()) + " bytes of \"indices\" do not hold " + std::to_string(bits) +
                  "-bit indices for the shape " + describeShape(shape));
    }
    std::vector<std::int32_t> unpacked(static_cast<std::size_t>(count));
    unpackBits(bytes, bits, false, unpacked);
    Tensor result(resultTypeLike(call, 0, lut.dataType()), shape);
    visitStorage(call, lut, result, [&](auto table, auto out) {
        parallelFor(count, 1 << 16, [&](std::int64_t begin, std::int64_t end) {
            for (auto i = static_cast<std::size_t>(begin); i < static_cast<std::size_t>(end); ++i) {
                out[i] = table[static_cast<std::size_t>(unpacked[i])];
            }
        });
    });
    return result;
}

Tensor typedLutToDense(const OpCall& call) {
    const auto& lut = call.input("lut");
    const auto& indices = call.input("indices");
    if (indices.kind() != StorageKind::int32) {
        call.fail("\"indices\" must be unsigned integers");
    }
    const auto layout = lutLayout(call, indices.shape(), lut);
    Tensor result(resultTypeLike(call, 0, lut.dataType()), layout.outputShape);
    if (result.count() == 0) {
        return result;
    }
    const BlockLayout blocks(indices.shape(), layout.table, layout.entries * layout.vectorSize);
    const auto index = indices.intValues();
    visitStorage(call, lut, result, [&](auto table, auto out) {
        parallelFor(blocks.rows(), rowGrain(blocks.rowLength()), [&](std::int64_t begin, std::int64_t end) {
            forEachIndex(layout, indices.shape(), blocks, begin, end,
                         [&](std::int64_t position, std::int64_t lutOffset, std::int64_t outOffset, std::int64_t vectorStride) {
                             const auto entry = checkedIndex(call, index[static_cast<std::size_t>(position)], layout.entries);
                             const auto from = lutOffset + entry * layout.vectorSize;
                             for (std::int64_t v = 0; v < layout.vectorSize; ++v) {
                                 out[static_cast<std::size_t>(outOffset + v * vectorStride)] = table[static_cast<std::size_t>(from + v)];
                             }
                         });
        });
    });
    return result;
}

} // namespace

std::vector<Tensor> lutToDenseKernel(const OpCall& call) {
    return {call.has("shape") ? packedLutToDense(call) : typedLutToDense(call)};
}

// The sparse positions of the indices become (after a vector table spreads
// each along `vector_axis`) the positions of the result mask; the decoded
// values follow that mask's set positions in row-major order.
std::vector<Tensor> lutToSparseKernel(const OpCall& call) {
    const auto& mask = call.input("indices_mask");
    const auto& indices = call.input("indices_nonzero_data");
    const auto& lut = call.input("lut");
    if (indices.kind() != StorageKind::int32) {
        call.fail("\"indices_nonzero_data\" must be unsigned integers");
    }
    const auto layout = lutLayout(call, mask.shape(), lut);
    const auto flags = maskFlags(mask);
    const auto set = std::ranges::count(flags, 1);
    if (indices.count() != set) {
        call.fail("\"indices_nonzero_data\" has " + std::to_string(indices.count()) + " indices for the " +
                  std::to_string(set) + " set bits of \"indices_mask\"");
    }
    Tensor outputMask(resultTypeLike(call, 0, DataType::uint1), layout.outputShape);
    std::vector<std::int64_t> source(static_cast<std::size_t>(outputMask.count()), -1); // lut offset per output position
    const BlockLayout blocks(mask.shape(), layout.table, layout.entries * layout.vectorSize);
    const auto index = indices.intValues();
    std::size_t next = 0;
    forEachIndex(layout, mask.shape(), blocks, 0, blocks.rows(),
                 [&](std::int64_t position, std::int64_t lutOffset, std::int64_t outOffset, std::int64_t vectorStride) {
                     if (flags[static_cast<std::size_t>(position)] == 0) {
                         return;
                     }
                     const auto entry = checkedIndex(call, index[next++], layout.entries);
                     for (std::int64_t v = 0; v < layout.vectorSize; ++v) {
                         source[static_cast<std::size_t>(outOffset + v * vectorStride)] = lutOffset + entry * layout.vectorSize + v;
                     }
                 });
    auto maskValues = outputMask.mutableIntValues();
    Tensor values(resultTypeLike(call, 1, lut.dataType()), {set * layout.vectorSize});
    visitStorage(call, lut, values, [&](auto table, auto out) {
        std::size_t written = 0;
        for (std::size_t o = 0; o < source.size(); ++o) {
            if (source[o] >= 0) {
                maskValues[o] = 1;
                out[written++] = table[static_cast<std::size_t>(source[o])];
            }
        }
    });
    return {outputMask, values};
}

} // namespace platform::coreml::mil
