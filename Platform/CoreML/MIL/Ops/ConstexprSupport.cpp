#include "Platform/CoreML/MIL/Ops/ConstexprSupport.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil {

BlockLayout::BlockLayout(const Shape& shape, const Shape& table, std::int64_t entrySize) : shape_(shape) {
    const auto rank = shape.size();
    blockSizes_.resize(rank);
    tableStrides_.resize(rank);
    std::int64_t stride = entrySize;
    for (auto d = rank; d-- > 0;) {
        blockSizes_[d] = std::max<std::int64_t>(1, shape[d] / std::max<std::int64_t>(table[d], 1));
        tableStrides_[d] = stride;
        stride *= table[d];
    }
    if (rank == 0) {
        columns_ = {0};
        return;
    }
    rowLength_ = shape.back();
    rows_ = elementCount(shape) / std::max<std::int64_t>(rowLength_, 1);
    if (rowLength_ == 0) {
        rows_ = 0;
    }
    columns_.resize(static_cast<std::size_t>(rowLength_));
    for (std::int64_t c = 0; c < rowLength_; ++c) {
        columns_[static_cast<std::size_t>(c)] = c / blockSizes_.back() * tableStrides_.back();
    }
}

std::int64_t BlockLayout::rowOffset(std::int64_t row) const {
    std::int64_t offset = 0;
    for (auto d = shape_.size() - (shape_.empty() ? 0 : 1); d-- > 0;) {
        const auto coordinate = row % shape_[d];
        row /= shape_[d];
        offset += coordinate / blockSizes_[d] * tableStrides_[d];
    }
    return offset;
}

void checkBlockTable(const OpCall& call, const Shape& shape, const Shape& table, const char* tableName) {
    if (table.size() != shape.size()) {
        call.fail(std::string(tableName) + " of shape " + describeShape(table) + " must have the rank of the data " +
                  describeShape(shape));
    }
    for (std::size_t d = 0; d < shape.size(); ++d) {
        if (table[d] < 1 || shape[d] % table[d] != 0) {
            call.fail(std::string(tableName) + " of shape " + describeShape(table) + " does not divide the data " +
                      describeShape(shape) + " into whole blocks");
        }
    }
}

std::vector<std::uint8_t> maskFlags(const Tensor& mask) {
    std::vector<std::uint8_t> flags(static_cast<std::size_t>(mask.count()));
    switch (mask.kind()) {
    case StorageKind::int32: std::ranges::transform(mask.intValues(), flags.begin(), [](auto v) { return v != 0; }); break;
    case StorageKind::boolean: std::ranges::transform(mask.boolValues(), flags.begin(), [](auto v) { return v != 0; }); break;
    default: std::ranges::transform(mask.floatValues(), flags.begin(), [](auto v) { return v != 0; }); break;
    }
    return flags;
}

std::vector<std::uint8_t> packedBytes(const OpCall& call, const Tensor& packed, const char* name) {
    if (packed.kind() != StorageKind::int32) {
        call.fail(std::string("the packed \"") + name + "\" must be uint8");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(packed.count()));
    const auto values = packed.intValues();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (values[i] < 0 || values[i] > 255) {
            call.fail(std::string("the packed \"") + name + "\" holds " + std::to_string(values[i]) + ", which is no byte");
        }
        bytes[i] = static_cast<std::uint8_t>(values[i]);
    }
    return bytes;
}

DataType resultTypeLike(const OpCall& call, std::size_t index, DataType fallback) {
    const auto declared = call.resultDataType(index, fallback);
    if (storageKind(declared) != storageKind(fallback)) {
        call.fail("result " + std::to_string(index) + " is declared " + std::string(dataTypeName(declared)) +
                  " but holds " + std::string(dataTypeName(fallback)) + " values");
    }
    return declared;
}

std::vector<float> floatsOf(const Tensor& tensor) {
    switch (tensor.kind()) {
    case StorageKind::float32: return {tensor.floatValues().begin(), tensor.floatValues().end()};
    case StorageKind::int32: return {tensor.intValues().begin(), tensor.intValues().end()};
    default: return tensor.toFloats();
    }
}

std::int64_t shapeCount(const OpCall& call, const Shape& shape) {
    std::int64_t count = 1;
    for (const auto size : shape) {
        if (__builtin_mul_overflow(count, size, &count)) {
            call.fail("the shape " + describeShape(shape) + " has too many elements");
        }
    }
    return count;
}

Shape shapeParameter(const OpCall& call, const char* name) {
    auto shape = call.intsParameter(name);
    if (std::ranges::any_of(shape, [](auto size) { return size < 0; })) {
        call.fail(std::string("the \"") + name + "\" " + describeShape(shape) + " has a negative size");
    }
    return shape;
}

std::int64_t rowGrain(std::int64_t rowLength) { return std::max<std::int64_t>(1, (1 << 16) / std::max<std::int64_t>(rowLength, 1)); }

} // namespace platform::coreml::mil
