#include "Platform/CoreML/MIL/Ops/StridedCopy.hpp"

#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <algorithm>
#include <span>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

// Elements one parallel range should move at least, so that small copies stay on the caller.
constexpr std::int64_t copyGrain = 1 << 16;

struct CopyDimension {
    std::int64_t size;
    std::int64_t from;
    std::int64_t to;
};

[[noreturn]] void failCopy(const std::string& message) {
    throw MLModelError(MLModelErrorKind::featureType, message);
}

void checkInside(const StridedLayout& layout, const Shape& extent, std::int64_t count, const char* side) {
    if (layout.strides.size() != extent.size()) {
        failCopy(std::string("A strided ") + side + " view has " + std::to_string(layout.strides.size()) +
                 " strides for the shape " + describeShape(extent));
    }
    auto lowest = layout.offset;
    auto highest = layout.offset;
    for (std::size_t d = 0; d < extent.size(); ++d) {
        const auto reach = (extent[d] - 1) * layout.strides[d];
        (reach < 0 ? lowest : highest) += reach;
    }
    if (lowest < 0 || highest >= count) {
        failCopy(std::string("A strided ") + side + " view of shape " + describeShape(extent) +
                 " reaches outside a tensor of " + std::to_string(count) + " elements");
    }
}

// Drops single-element dimensions and merges neighbours that are contiguous on
// both sides, so the innermost run is as long as possible.
std::vector<CopyDimension> mergedDimensions(const StridedLayout& from, const StridedLayout& to, const Shape& extent) {
    std::vector<CopyDimension> dims;
    for (std::size_t d = 0; d < extent.size(); ++d) {
        if (extent[d] == 1) {
            continue;
        }
        const CopyDimension next{extent[d], from.strides[d], to.strides[d]};
        if (!dims.empty() && dims.back().from == next.from * next.size && dims.back().to == next.to * next.size) {
            dims.back() = {dims.back().size * next.size, next.from, next.to};
        } else {
            dims.push_back(next);
        }
    }
    if (dims.empty()) {
        dims.push_back({1, 1, 1});
    }
    return dims;
}

template <class T>
void copyRun(const T* source, T* target, std::int64_t from, std::int64_t to, const CopyDimension& run,
             std::int64_t begin, std::int64_t end) {
    if (run.from == 1 && run.to == 1) {
        std::copy(source + from + begin, source + from + end, target + to + begin);
        return;
    }
    for (auto i = begin; i < end; ++i) {
        target[to + i * run.to] = source[from + i * run.from];
    }
}

// Offsets of the element at `index` of the dimensions `dims` (row-major order).
std::pair<std::int64_t, std::int64_t> offsetsAt(const std::vector<CopyDimension>& dims, std::size_t count,
                                                std::int64_t index) {
    std::int64_t from = 0;
    std::int64_t to = 0;
    for (auto d = count; d-- > 0;) {
        const auto position = index % dims[d].size;
        index /= dims[d].size;
        from += position * dims[d].from;
        to += position * dims[d].to;
    }
    return {from, to};
}

// A transpose: the innermost run is strided in the source but the dimension
// outside it is contiguous there. Square tiles use every source cache line
// whole instead of one element of each. False when the copy is of another kind.
template <class T>
bool copyTransposed(std::span<const T> source, std::int64_t sourceOffset, std::span<T> target,
                    std::int64_t targetOffset, const std::vector<CopyDimension>& dims) {
    constexpr std::int64_t tile = 32;
    constexpr std::int64_t transposeGrain = 1 << 14;
    if (dims.size() < 2 || dims.back().from == 1 || dims.back().to != 1 || dims[dims.size() - 2].from != 1) {
        return false;
    }
    const auto inner = dims.back();
    const auto outer = dims[dims.size() - 2];
    const auto leading = dims.size() - 2;
    std::int64_t batches = 1;
    for (std::size_t d = 0; d < leading; ++d) {
        batches *= dims[d].size;
    }
    const auto rowBlocks = (outer.size + tile - 1) / tile;
    const auto grain = std::max<std::int64_t>(1, transposeGrain / (tile * inner.size));
    parallelFor(batches * rowBlocks, grain, [&](std::int64_t begin, std::int64_t end) {
        for (auto task = begin; task < end; ++task) {
            const auto [batchFrom, batchTo] = offsetsAt(dims, leading, task / rowBlocks);
            const auto o0 = task % rowBlocks * tile;
            const auto o1 = std::min(o0 + tile, outer.size);
            const T* from = source.data() + sourceOffset + batchFrom;
            T* to = target.data() + targetOffset + batchTo;
            for (std::int64_t i0 = 0; i0 < inner.size; i0 += tile) {
                const auto i1 = std::min(i0 + tile, inner.size);
                for (auto o = o0; o < o1; ++o) {
                    for (auto i = i0; i < i1; ++i) {
                        to[o * outer.to + i] = from[o + i * inner.from];
                    }
                }
            }
        }
    });
    return true;
}

template <class T>
void copyTyped(std::span<const T> source, std::int64_t sourceOffset, std::span<T> target, std::int64_t targetOffset,
               std::vector<CopyDimension> dims) {
    if (copyTransposed(source, sourceOffset, target, targetOffset, dims)) {
        return;
    }
    const auto inner = dims.back();
    dims.pop_back();
    if (dims.empty()) {
        parallelFor(inner.size, copyGrain, [&](std::int64_t begin, std::int64_t end) {
            copyRun(source.data(), target.data(), sourceOffset, targetOffset, inner, begin, end);
        });
        return;
    }
    std::int64_t outer = 1;
    for (const auto& dim : dims) {
        outer *= dim.size;
    }
    parallelFor(outer, std::max<std::int64_t>(1, copyGrain / inner.size), [&](std::int64_t begin, std::int64_t end) {
        std::vector<std::int64_t> position(dims.size());
        auto from = sourceOffset;
        auto to = targetOffset;
        auto rest = begin;
        for (auto d = dims.size(); d-- > 0;) {
            position[d] = rest % dims[d].size;
            rest /= dims[d].size;
            from += position[d] * dims[d].from;
            to += position[d] * dims[d].to;
        }
        for (auto row = begin; row < end; ++row) {
            copyRun(source.data(), target.data(), from, to, inner, 0, inner.size);
            for (auto d = dims.size(); d-- > 0;) {
                from += dims[d].from;
                to += dims[d].to;
                if (++position[d] < dims[d].size) {
                    break;
                }
                from -= dims[d].size * dims[d].from;
                to -= dims[d].size * dims[d].to;
                position[d] = 0;
            }
        }
    });
}

} // namespace

std::vector<std::int64_t> denseStrides(const Shape& shape) {
    std::vector<std::int64_t> strides(shape.size(), 1);
    for (auto d = shape.size(); d-- > 1;) {
        strides[d - 1] = strides[d] * shape[d];
    }
    return strides;
}

StridedLayout denseLayout(const Shape& shape) { return {0, denseStrides(shape)}; }

void copyStrided(const Tensor& source, const StridedLayout& from, Tensor& target, const StridedLayout& to,
                 const Shape& extent) {
    if (source.kind() != target.kind()) {
        failCopy("Cannot copy " + std::string(dataTypeName(source.dataType())) + " elements into a tensor of " +
                 std::string(dataTypeName(target.dataType())));
    }
    if (elementCount(extent) == 0) {
        return;
    }
    checkInside(from, extent, source.count(), "source");
    checkInside(to, extent, target.count(), "target");
    auto dims = mergedDimensions(from, to, extent);
    switch (source.kind()) {
    case StorageKind::float32:
        copyTyped(source.floatValues(), from.offset, target.mutableFloatValues(), to.offset, std::move(dims));
        return;
    case StorageKind::int32:
        copyTyped(source.intValues(), from.offset, target.mutableIntValues(), to.offset, std::move(dims));
        return;
    case StorageKind::boolean:
        copyTyped(source.boolValues(), from.offset, target.mutableBoolValues(), to.offset, std::move(dims));
        return;
    case StorageKind::string: break;
    }
    failCopy("A text value has no tensor elements to copy");
}

Tensor copyOfView(const Tensor& source, const StridedLayout& from, const Shape& extent) {
    Tensor result(source.dataType(), extent, Tensor::Unfilled{});
    copyStrided(source, from, result, denseLayout(extent), extent);
    return result;
}

Tensor denseCopy(const Tensor& source) { return copyOfView(source, denseLayout(source.shape()), source.shape()); }

} // namespace platform::coreml::mil::shapeops
