#pragma once
// One value of a running program: a declared element type, a shape, and dense
// row-major elements held as float, int32, byte-sized bool or text (see
// StorageKind). Tensors are immutable once made by an operation; copies and
// reshapes share the elements. Only the maker of a fresh tensor writes it,
// through the mutable accessors, before handing it on. A constant weight may be
// held packed (see PackedMatrix): only kernels that ask for the packed form
// read it; its elements are not available as floats.

#include "Platform/CoreML/MIL/DataType.hpp"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform::coreml::mil {

using Shape = std::vector<std::int64_t>;

std::int64_t elementCount(const Shape& shape);
std::string describeShape(const Shape& shape); // "[1, 80, 3000]"

class PackedMatrix;

class Tensor {
public:
    Tensor() = default;

    // Zero-filled elements (empty text for strings).
    Tensor(DataType dataType, Shape shape);
    // Elements left unset, for makers that write every element before handing
    // the tensor on (it saves a pass over large results).
    struct Unfilled {};
    Tensor(DataType dataType, Shape shape, Unfilled);

    static Tensor scalar(DataType dataType, double value);
    static Tensor text(std::string value);
    static Tensor floats(DataType dataType, Shape shape, std::span<const float> values);
    static Tensor ints(DataType dataType, Shape shape, std::span<const std::int32_t> values);
    static Tensor bools(Shape shape, std::span<const std::uint8_t> values);

    // A float tensor of `shape` whose elements `matrix` holds packed.
    static Tensor packed(DataType dataType, Shape shape, std::shared_ptr<const PackedMatrix> matrix);

    bool isEmpty() const { return storage_ == nullptr && packed_ == nullptr; }
    // The packed form, or null for a tensor with plain elements.
    const PackedMatrix* packedMatrix() const { return packed_.get(); }
    // The tensor with plain elements: itself, or its packed values widened.
    Tensor unpacked() const;
    DataType dataType() const { return dataType_; }
    StorageKind kind() const { return storageKind(dataType_); }
    const Shape& shape() const { return shape_; }
    std::int64_t rank() const { return static_cast<std::int64_t>(shape_.size()); }
    std::int64_t count() const { return count_; }
    // Size of one dimension; negative axes count from the end.
    std::int64_t dim(std::int64_t axis) const;

    // Typed element access; throws MLModelError (featureType) for the wrong storage kind.
    std::span<const float> floatValues() const;
    std::span<const std::int32_t> intValues() const;
    std::span<const std::uint8_t> boolValues() const;
    std::span<float> mutableFloatValues();
    std::span<std::int32_t> mutableIntValues();
    std::span<std::uint8_t> mutableBoolValues();
    const std::string& textValue() const;

    // Element i (row-major) as a number, whatever the storage kind.
    double numberAt(std::int64_t index) const;
    // Every element as a number; for shape, axis and size parameters.
    std::vector<std::int64_t> toInt64s() const;
    std::vector<float> toFloats() const;

    // The same elements under another shape of equal count.
    Tensor reshaped(Shape shape) const;
    // The same elements labelled with another type of the same storage kind.
    Tensor relabelled(DataType dataType) const;
    // Elements converted to another type: floats to integers truncate toward
    // zero, anything to bool is "not zero", fp16 and bf16 round to their precision.
    Tensor convertedTo(DataType dataType) const;

private:
    Tensor(DataType dataType, Shape shape, bool zeroed);
    void checkKind(StorageKind wanted) const;

    DataType dataType_ = DataType::fp32;
    Shape shape_;
    std::int64_t count_ = 0;
    std::shared_ptr<void> storage_; // float[], int32[], uint8[] or std::string
    std::shared_ptr<const PackedMatrix> packed_; // instead of storage_ for a packed weight
};

} // namespace platform::coreml::mil
