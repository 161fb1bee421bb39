#include "Platform/CoreML/MIL/Ops/Broadcasting.hpp"

namespace platform::coreml::mil {

std::optional<Shape> broadcastShape(std::span<const Shape> shapes) {
    std::size_t rank = 0;
    for (const auto& shape : shapes) {
        rank = std::max(rank, shape.size());
    }
    Shape result(rank, 1);
    for (const auto& shape : shapes) {
        const auto lead = rank - shape.size();
        for (std::size_t d = 0; d < shape.size(); ++d) {
            auto& size = result[lead + d];
            if (shape[d] == size || shape[d] == 1) {
                continue;
            }
            if (size != 1) {
                return std::nullopt;
            }
            size = shape[d];
        }
    }
    return result;
}

std::optional<Shape> broadcastShape(const Shape& first, const Shape& second) {
    const Shape shapes[] = {first, second};
    return broadcastShape(shapes);
}

std::optional<Broadcast> Broadcast::of(std::span<const Shape> operands) {
    auto shape = broadcastShape(operands);
    if (!shape) {
        return std::nullopt;
    }
    Broadcast made;
    made.shape_ = std::move(*shape);
    made.count_ = elementCount(made.shape_);
    const auto rank = made.shape_.size();

    // Strides of each operand aligned to the result's dimensions.
    std::vector<std::vector<std::int64_t>> aligned(operands.size(), std::vector<std::int64_t>(rank, 0));
    for (std::size_t k = 0; k < operands.size(); ++k) {
        const auto& operand = operands[k];
        const auto lead = rank - operand.size();
        std::int64_t stride = 1;
        for (auto d = operand.size(); d-- > 0;) {
            aligned[k][lead + d] = operand[d] == 1 ? 0 : stride;
            stride *= operand[d];
        }
    }

    made.strides_.assign(operands.size(), {});
    for (std::size_t d = 0; d < rank; ++d) {
        const auto size = made.shape_[d];
        if (size == 1) {
            continue;
        }
        const bool merges = !made.sizes_.empty() && [&] {
            for (std::size_t k = 0; k < operands.size(); ++k) {
                if (made.strides_[k].back() != aligned[k][d] * size) {
                    return false;
                }
            }
            return true;
        }();
        if (merges) {
            made.sizes_.back() *= size;
            for (std::size_t k = 0; k < operands.size(); ++k) {
                made.strides_[k].back() = aligned[k][d];
            }
        } else {
            made.sizes_.push_back(size);
            for (std::size_t k = 0; k < operands.size(); ++k) {
                made.strides_[k].push_back(aligned[k][d]);
            }
        }
    }
    if (made.sizes_.empty()) {
        made.sizes_.push_back(1);
        for (auto& strides : made.strides_) {
            strides.push_back(0);
        }
    }
    return made;
}

std::int64_t Broadcast::offset(std::size_t operand, std::int64_t index) const {
    std::int64_t result = 0;
    for (auto d = sizes_.size(); d-- > 0;) {
        result += (index % sizes_[d]) * strides_[operand][d];
        index /= sizes_[d];
    }
    return result;
}

} // namespace platform::coreml::mil
