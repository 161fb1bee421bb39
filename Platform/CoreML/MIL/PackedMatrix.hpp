#pragma once
// A constant matrix kept in the form products read best: the narrow form its
// weights were stored in (half floats, or 8-bit integers with a scale and an
// offset for each block of each row, value = scale · (q − offset)), which
// products widen a few rows at a time so that resident weights stay near the
// size of the weight file; or floats in column panels, which products read in
// place without repacking them on every call.
// A tensor of more than two dimensions is its first dimension by the rest.

#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace platform::coreml::mil {

class PackedMatrix {
public:
    enum class Encoding { half, int8, uint8, panels };

    // Values that are exact half floats (weights stored as fp16).
    static PackedMatrix halves(const Shape& shape, std::span<const float> values);
    // Floats regrouped into panels of `panelWidth()` rows: panel p holds rows
    // [p·w, p·w + w) transposed, column after column, each column w values
    // (the last panel padded with zeros). Row r, column c lies at
    // panel(r / w)[c · w + r % w].
    static PackedMatrix panels(const Shape& shape, std::span<const float> values);
    // Integers of `encoding`'s range with `blocksPerRow` scale/offset pairs per
    // row; `scales` and `offsets` hold rows · blocksPerRow values, row by row.
    // Nothing when a value is outside the range or the blocks do not divide a row.
    static std::optional<PackedMatrix> integers(Encoding encoding, const Shape& shape, std::span<const std::int32_t> values,
                                                std::vector<float> scales, std::vector<float> offsets,
                                                std::int64_t blocksPerRow);

    Encoding encoding() const { return encoding_; }
    std::int64_t rows() const { return rows_; }
    std::int64_t columns() const { return columns_; }
    std::size_t storedBytes() const;

    // Rows per panel (panels encoding): a panel of every column stays within
    // the second-level cache while rows of the other operand pass over it.
    std::int64_t panelWidth() const { return panelWidth_; }
    std::int64_t panelCount() const;
    const float* panel(std::int64_t index) const;

    // Rows [first, first + count) as floats, row after row, into `out`
    // (count · columns values).
    void widenRows(std::int64_t first, std::int64_t count, float* out) const;
    // Every value, as a dense float tensor of `shape`.
    Tensor widened(DataType dataType, const Shape& shape) const;

private:
    PackedMatrix(Encoding encoding, std::int64_t rows, std::int64_t columns)
        : encoding_(encoding), rows_(rows), columns_(columns) {}

    Encoding encoding_;
    std::int64_t rows_;
    std::int64_t columns_;
    const std::uint16_t* halves() const { return static_cast<const std::uint16_t*>(values_.get()); }
    const std::int8_t* bytes() const { return static_cast<const std::int8_t*>(values_.get()); }
    const float* floats() const { return static_cast<const float*>(values_.get()); }
    void widenPanelRows(std::int64_t first, std::int64_t count, float* out) const;

    // Half floats, bytes (uint8 values kept shifted by −128) or panels; a buffer of
    // the tensor allocator, so large weights are mappings of their own.
    std::shared_ptr<void> values_;
    std::size_t valueBytes_ = 0;
    std::vector<float> scales_;
    std::vector<float> offsets_;
    std::int64_t blockLength_ = 0;
    std::int64_t panelWidth_ = 0;
};

} // namespace platform::coreml::mil
