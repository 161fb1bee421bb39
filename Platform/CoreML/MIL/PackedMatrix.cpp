#include "Platform/CoreML/MIL/PackedMatrix.hpp"

#include "Platform/Accel/Float16.hpp"
#include "Platform/Accel/TargetClones.hpp"
#include "Platform/CoreML/MIL/TensorBufferPool.hpp"

#include <algorithm>

namespace platform::coreml::mil {
namespace {

std::int64_t rowsOf(const Shape& shape) { return shape.empty() ? 1 : shape.front(); }

std::int64_t columnsOf(const Shape& shape) {
    const auto rows = rowsOf(shape);
    return rows == 0 ? 0 : elementCount(shape) / rows;
}

// out[c] = scale · (q[c] − offset) over one block; the compiler vectorises it.
OSTREL_TARGET_CLONES("avx512f", "avx2", "default")
void widenBlock(const std::int8_t* q, std::int64_t length, float scale, float offset, float* out) {
    for (std::int64_t c = 0; c < length; ++c) {
        out[c] = scale * (static_cast<float>(q[c]) - offset);
    }
}

// Panel width by row length: a panel of 64 rows of up to 2048 floats (512 KiB)
// fits the second-level cache; longer rows get narrower panels.
std::int64_t panelWidthFor(std::int64_t columns) { return columns > 2048 ? 32 : 64; }

} // namespace

PackedMatrix PackedMatrix::panels(const Shape& shape, std::span<const float> values) {
    PackedMatrix matrix(Encoding::panels, rowsOf(shape), columnsOf(shape));
    matrix.panelWidth_ = panelWidthFor(matrix.columns_);
    const auto width = matrix.panelWidth_;
    const auto panelValues = width * matrix.columns_;
    matrix.valueBytes_ = static_cast<std::size_t>(matrix.panelCount() * panelValues) * sizeof(float);
    matrix.values_ = TensorBufferPool::allocate(matrix.valueBytes_);
    auto* out = static_cast<float*>(matrix.values_.get());
    std::fill_n(out, matrix.panelCount() * panelValues, 0.0f);
    for (std::int64_t row = 0; row < matrix.rows_; ++row) {
        float* panel = out + (row / width) * panelValues + row % width;
        const float* source = values.data() + row * matrix.columns_;
        for (std::int64_t column = 0; column < matrix.columns_; ++column) {
            panel[column * width] = source[column];
        }
    }
    return matrix;
}

std::int64_t PackedMatrix::panelCount() const {
    return panelWidth_ == 0 ? 0 : (rows_ + panelWidth_ - 1) / panelWidth_;
}

const float* PackedMatrix::panel(std::int64_t index) const { return floats() + index * panelWidth_ * columns_; }

void PackedMatrix::widenPanelRows(std::int64_t first, std::int64_t count, float* out) const {
    for (std::int64_t row = 0; row < count; ++row) {
        const auto at = first + row;
        const float* source = panel(at / panelWidth_) + at % panelWidth_;
        float* target = out + row * columns_;
        for (std::int64_t column = 0; column < columns_; ++column) {
            target[column] = source[column * panelWidth_];
        }
    }
}

PackedMatrix PackedMatrix::halves(const Shape& shape, std::span<const float> values) {
    PackedMatrix matrix(Encoding::half, rowsOf(shape), columnsOf(shape));
    matrix.valueBytes_ = values.size() * sizeof(std::uint16_t);
    matrix.values_ = TensorBufferPool::allocate(matrix.valueBytes_);
    accel::convertFloatToHalf(values, {static_cast<std::uint16_t*>(matrix.values_.get()), values.size()});
    return matrix;
}

std::optional<PackedMatrix> PackedMatrix::integers(Encoding encoding, const Shape& shape,
                                                   std::span<const std::int32_t> values, std::vector<float> scales,
                                                   std::vector<float> offsets, std::int64_t blocksPerRow) {
    PackedMatrix matrix(encoding, rowsOf(shape), columnsOf(shape));
    if (encoding == Encoding::half || encoding == Encoding::panels || blocksPerRow < 1 || matrix.columns_ % blocksPerRow != 0 ||
        static_cast<std::int64_t>(scales.size()) != matrix.rows_ * blocksPerRow || offsets.size() != scales.size()) {
        return std::nullopt;
    }
    // Kept as signed bytes: a uint8 value q is stored as q − 128 with its offset moved by −128 too.
    const std::int32_t shift = encoding == Encoding::uint8 ? 128 : 0;
    const std::int32_t low = encoding == Encoding::uint8 ? 0 : -128;
    const std::int32_t high = encoding == Encoding::uint8 ? 255 : 127;
    matrix.valueBytes_ = values.size();
    matrix.values_ = TensorBufferPool::allocate(matrix.valueBytes_);
    auto* bytes = static_cast<std::int8_t*>(matrix.values_.get());
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] < low || values[i] > high) {
            return std::nullopt;
        }
        bytes[i] = static_cast<std::int8_t>(values[i] - shift);
    }
    for (auto& offset : offsets) {
        offset -= static_cast<float>(shift);
    }
    matrix.scales_ = std::move(scales);
    matrix.offsets_ = std::move(offsets);
    matrix.blockLength_ = matrix.columns_ / blocksPerRow;
    return matrix;
}

std::size_t PackedMatrix::storedBytes() const {
    return valueBytes_ + (scales_.size() + offsets_.size()) * sizeof(float);
}

void PackedMatrix::widenRows(std::int64_t first, std::int64_t count, float* out) const {
    const auto begin = static_cast<std::size_t>(first * columns_);
    const auto length = static_cast<std::size_t>(count * columns_);
    if (encoding_ == Encoding::half) {
        accel::convertHalfToFloat({halves() + begin, length}, {out, length});
        return;
    }
    if (encoding_ == Encoding::panels) {
        widenPanelRows(first, count, out);
        return;
    }
    const auto blocks = columns_ / std::max<std::int64_t>(blockLength_, 1);
    for (std::int64_t row = 0; row < count; ++row) {
        for (std::int64_t block = 0; block < blocks; ++block) {
            const auto entry = static_cast<std::size_t>((first + row) * blocks + block);
            const auto at = row * columns_ + block * blockLength_;
            widenBlock(bytes() + begin + at, blockLength_, scales_[entry], offsets_[entry], out + at);
        }
    }
}

Tensor PackedMatrix::widened(DataType dataType, const Shape& shape) const {
    Tensor result(dataType, shape, Tensor::Unfilled{});
    if (result.count() > 0) {
        widenRows(0, rows_, result.mutableFloatValues().data());
    }
    return result;
}

} // namespace platform::coreml::mil
