#pragma once
// Pieces the weight-decompression kernels share: mapping each element of a
// tensor to its block in a per-block table (scales, offsets, lookup tables),
// reading masks, and choosing result types.

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace platform::coreml::mil {

// Element i of a tensor of `shape` lies in block (i_d / (shape[d] / table[d]))
// along each dimension d of a table of shape `table`, whose entries each span
// `entrySize` values. Walks the tensor by rows of its last dimension: an
// element's entry starts at rowOffset(row) + columnOffset(column).
class BlockLayout {
public:
    // Every table[d] must divide shape[d] (see checkBlockTable).
    BlockLayout(const Shape& shape, const Shape& table, std::int64_t entrySize = 1);

    std::int64_t rows() const { return rows_; }
    std::int64_t rowLength() const { return rowLength_; }
    std::int64_t rowOffset(std::int64_t row) const;
    std::int64_t columnOffset(std::int64_t column) const { return columns_[static_cast<std::size_t>(column)]; }

private:
    Shape shape_;
    std::vector<std::int64_t> blockSizes_;
    std::vector<std::int64_t> tableStrides_;
    std::vector<std::int64_t> columns_;
    std::int64_t rows_ = 1;
    std::int64_t rowLength_ = 1;
};

// Fails unless `table` has the rank of `shape` and each of its sizes is at
// least 1 and divides the matching size of `shape`.
void checkBlockTable(const OpCall& call, const Shape& shape, const Shape& table, const char* tableName);


// One flag per element: set where the mask is nonzero.
std::vector<std::uint8_t> maskFlags(const Tensor& mask);
// The bytes of a packed tensor held as int32 values (declared uint8); fails
// for a value outside 0...255.
std::vector<std::uint8_t> packedBytes(const OpCall& call, const Tensor& packed, const char* name);

// The declared type of result `index`, or `fallback`; fails when the
// declaration's storage differs from `fallback`'s (the values the kernel makes).
DataType resultTypeLike(const OpCall& call, std::size_t index, DataType fallback);

// Element values as float, whatever the storage.
std::vector<float> floatsOf(const Tensor& tensor);

// Calls body(sourceValues, resultValues) with the element spans of two
// tensors of the same storage kind (see resultTypeLike); fails for text.
template <typename Body>
void visitStorage(const OpCall& call, const Tensor& source, Tensor& result, Body&& body) {
    switch (source.kind()) {
    case StorageKind::float32: body(source.floatValues(), result.mutableFloatValues()); break;
    case StorageKind::int32: body(source.intValues(), result.mutableIntValues()); break;
    case StorageKind::boolean: body(source.boolValues(), result.mutableBoolValues()); break;
    case StorageKind::string: call.fail("text cannot be decompressed");
    }
}

// Number of elements of a shape; fails when it does not fit in 64 bits.
std::int64_t shapeCount(const OpCall& call, const Shape& shape);

// A shape given as a parameter; fails for a negative size.
Shape shapeParameter(const OpCall& call, const char* name);

// Heavy loops over rows of `rowLength` elements split into ranges of about this many elements.
std::int64_t rowGrain(std::int64_t rowLength);

} // namespace platform::coreml::mil
