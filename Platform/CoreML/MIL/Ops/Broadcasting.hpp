#pragma once
// NumPy broadcasting: the shape several operands stretch to, and where each
// element of that shape lies in each operand. Kernels walk the result in runs
// along its innermost dimension, so their inner loops are plain strided loops.

#include "Platform/CoreML/MIL/Tensor.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::coreml::mil {

// The shape all `shapes` broadcast to, or nullopt when two sizes of one
// dimension differ and neither is 1. Shapes of lower rank gain leading 1s.
std::optional<Shape> broadcastShape(std::span<const Shape> shapes);
std::optional<Shape> broadcastShape(const Shape& first, const Shape& second);

class Broadcast {
public:
    // nullopt when the shapes do not broadcast.
    static std::optional<Broadcast> of(std::span<const Shape> operands);

    const Shape& shape() const { return shape_; }
    std::int64_t count() const { return count_; }

    // Row-major element offset in operand `operand` of result element `index`.
    std::int64_t offset(std::size_t operand, std::int64_t index) const;

    // Calls body(index, length, offsets, steps) for consecutive runs covering
    // the result elements [begin, end): result element index + j reads operand
    // k at offsets[k] + j * steps[k] (a step of 0 repeats one element).
    template <class Body>
    void forEachRun(std::int64_t begin, std::int64_t end, Body&& body) const;

private:
    Broadcast() = default;

    Shape shape_;
    std::int64_t count_ = 0;
    // Result dimensions with size-1 ones dropped and neighbours merged where
    // every operand is contiguous across them; never empty.
    std::vector<std::int64_t> sizes_;
    std::vector<std::vector<std::int64_t>> strides_; // [operand][merged dimension]; 0 where broadcast
};

template <class Body>
void Broadcast::forEachRun(std::int64_t begin, std::int64_t end, Body&& body) const {
    if (begin >= end) {
        return;
    }
    const auto dims = sizes_.size();
    const auto operands = strides_.size();
    std::vector<std::int64_t> counter(dims);
    std::vector<std::int64_t> offsets(operands);
    std::vector<std::int64_t> steps(operands);
    auto rest = begin;
    for (auto d = dims; d-- > 0;) {
        counter[d] = rest % sizes_[d];
        rest /= sizes_[d];
    }
    for (std::size_t k = 0; k < operands; ++k) {
        steps[k] = strides_[k].back();
    }
    const auto inner = sizes_.back();
    for (auto index = begin; index < end;) {
        for (std::size_t k = 0; k < operands; ++k) {
            std::int64_t offset = 0;
            for (std::size_t d = 0; d < dims; ++d) {
                offset += counter[d] * strides_[k][d];
            }
            offsets[k] = offset;
        }
        const auto length = std::min(inner - counter.back(), end - index);
        body(index, length, std::span<const std::int64_t>(offsets), std::span<const std::int64_t>(steps));
        index += length;
        counter.back() += length;
        for (auto d = dims - 1; d > 0 && counter[d] == sizes_[d]; --d) {
            counter[d] = 0;
            ++counter[d - 1];
        }
    }
}

} // namespace platform::coreml::mil
