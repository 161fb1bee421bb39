// Scale-and-shift decompression: affine and block-wise dequantization, their
// sparse form, the runtime quantize/dequantize pair, and the constant cast.

#include "Platform/CoreML/MIL/Ops/ConstexprKernels.hpp"
#include "Platform/CoreML/MIL/Ops/ConstexprSupport.hpp"
#include "Platform/CoreML/MIL/PackedMatrix.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace platform::coreml::mil {
namespace {

struct NamedParameter {
    const char* name;
    const Tensor* tensor; // null when absent
};

// Shape of the table that scalar or per-axis parameters form over data of
// `shape`: all ones, except the axis size along `axis` when one is a vector.
Shape axisTable(const OpCall& call, const Shape& shape, std::initializer_list<NamedParameter> parameters,
                std::optional<std::int64_t> axis) {
    Shape table(shape.size(), 1);
    for (const auto& [name, tensor] : parameters) {
        if (tensor == nullptr || tensor->count() == 1) {
            continue;
        }
        if (tensor->rank() != 1) {
            call.fail(std::string("\"") + name + "\" must be a scalar or a vector, not " + describeShape(tensor->shape()));
        }
        if (!axis) {
            call.fail(std::string("a vector \"") + name + "\" needs an \"axis\"");
        }
        const auto a = static_cast<std::size_t>(normaliseAxis(call, *axis, static_cast<std::int64_t>(shape.size())));
        if (tensor->count() != shape[a]) {
            call.fail(std::string("\"") + name + "\" has " + std::to_string(tensor->count()) + " values for the " +
                      std::to_string(shape[a]) + " along axis " + std::to_string(*axis) + " of " + describeShape(shape));
        }
        table[a] = shape[a];
    }
    return table;
}

// A scalar or per-axis parameter as one value per table entry; `fallback` when absent.
std::vector<float> tableValues(const Tensor* tensor, const Shape& table, float fallback) {
    const auto count = static_cast<std::size_t>(elementCount(table));
    if (tensor == nullptr) {
        return std::vector<float>(count, fallback);
    }
    if (tensor->count() == 1) {
        return std::vector<float>(count, static_cast<float>(tensor->numberAt(0)));
    }
    return floatsOf(*tensor);
}

std::optional<std::int64_t> optionalAxis(const OpCall& call) {
    if (!call.has("axis")) {
        return std::nullopt;
    }
    return call.intParameter("axis");
}

DataType floatResultType(const OpCall& call, std::size_t index, const Tensor& scale) {
    return resultTypeLike(call, index, isFloat(scale.dataType()) ? scale.dataType() : DataType::fp32);
}

// result[i] = scale[b] · (data[i] − offset[b]) for the block b of element i in `table`.
Tensor shiftScale(const Tensor& data, const Shape& table, const std::vector<float>& scale,
                  const std::vector<float>& offset, DataType resultType) {
    Tensor result(resultType, data.shape());
    if (result.count() == 0) {
        return result;
    }
    const BlockLayout layout(data.shape(), table);
    auto out = result.mutableFloatValues();
    const auto run = [&](auto values) {
        parallelFor(layout.rows(), rowGrain(layout.rowLength()), [&](std::int64_t begin, std::int64_t end) {
            for (auto row = begin; row < end; ++row) {
                const auto base = layout.rowOffset(row);
                const auto first = static_cast<std::size_t>(row * layout.rowLength());
                for (std::int64_t c = 0; c < layout.rowLength(); ++c) {
                    const auto k = static_cast<std::size_t>(base + layout.columnOffset(c));
                    const auto i = first + static_cast<std::size_t>(c);
                    out[i] = scale[k] * (static_cast<float>(values[i]) - offset[k]);
                }
            }
        });
    };
    if (data.kind() == StorageKind::float32) {
        run(data.floatValues());
    } else {
        run(data.intValues());
    }
    return result;
}

std::optional<PackedMatrix::Encoding> byteEncoding(DataType type) {
    switch (type) {
    case DataType::int8:
    case DataType::int4: return PackedMatrix::Encoding::int8;
    case DataType::uint8:
    case DataType::uint4:
    case DataType::uint3:
    case DataType::uint2:
    case DataType::uint6:
    case DataType::uint1: return PackedMatrix::Encoding::uint8;
    default: return std::nullopt;
    }
}

// Blocks per row when the table varies only along the first axis (or not at
// all) and, for a matrix, in blocks of at least 16 along its last axis;
// nothing otherwise.
std::optional<std::int64_t> blocksPerRow(const Shape& shape, const Shape& table) {
    if (shape.size() < 2 || table.size() != shape.size() || (table[0] != 1 && table[0] != shape[0])) {
        return std::nullopt;
    }
    for (std::size_t d = 1; d + 1 < table.size(); ++d) {
        if (table[d] != 1) {
            return std::nullopt;
        }
    }
    if (shape.size() > 2 && table.back() != 1) {
        return std::nullopt;
    }
    // Short blocks would keep more bytes of scales than of values.
    constexpr std::int64_t shortestBlock = 16;
    if (shape.back() / table.back() < shortestBlock) {
        return std::nullopt;
    }
    return table.back();
}

// One value per (row, block) from a table that may share one row for all.
std::vector<float> perRowBlock(const std::vector<float>& values, const Shape& table, std::int64_t rows, std::int64_t blocks) {
    std::vector<float> expanded(static_cast<std::size_t>(rows * blocks));
    for (std::int64_t r = 0; r < rows; ++r) {
        const auto source = table[0] == 1 ? 0 : r;
        std::copy_n(values.begin() + source * blocks, blocks, expanded.begin() + r * blocks);
    }
    return expanded;
}

std::optional<Tensor> packedShiftScale(const Tensor& data, const Shape& table, const std::vector<float>& scale,
                                       const std::vector<float>& offset, DataType resultType) {
    const auto encoding = byteEncoding(data.dataType());
    const auto blocks = blocksPerRow(data.shape(), table);
    if (!encoding || !blocks || data.kind() != StorageKind::int32 || data.count() == 0) {
        return std::nullopt;
    }
    const auto rows = data.dim(0);
    auto matrix = PackedMatrix::integers(*encoding, data.shape(), data.intValues(), perRowBlock(scale, table, rows, *blocks),
                                         perRowBlock(offset, table, rows, *blocks), *blocks);
    if (!matrix) {
        return std::nullopt;
    }
    return Tensor::packed(resultType, data.shape(), std::make_shared<const PackedMatrix>(std::move(*matrix)));
}

void checkNumeric(const OpCall& call, const Tensor& tensor, const char* name) {
    if (tensor.kind() != StorageKind::float32 && tensor.kind() != StorageKind::int32) {
        call.fail(std::string("\"") + name + "\" must hold numbers");
    }
}

// The arguments of a scale-and-shift decompression, checked: one scale and
// offset per entry of `table`.
struct ShiftScaleArguments {
    const Tensor& data;
    Shape table;
    std::vector<float> scales;
    std::vector<float> offsets;
    DataType resultType;
};

ShiftScaleArguments affineArguments(const OpCall& call) {
    const auto& data = call.input("quantized_data");
    const auto& zeroPoint = call.input("zero_point");
    const auto& scale = call.input("scale");
    checkNumeric(call, data, "quantized_data");
    auto table = axisTable(call, data.shape(), {{"scale", &scale}, {"zero_point", &zeroPoint}}, call.intParameter("axis"));
    auto scales = tableValues(&scale, table, 1);
    auto offsets = tableValues(&zeroPoint, table, 0);
    return {data, std::move(table), std::move(scales), std::move(offsets), floatResultType(call, 0, scale)};
}

ShiftScaleArguments blockwiseArguments(const OpCall& call) {
    const auto& data = call.input("data");
    const auto& scale = call.input("scale");
    const auto* offset = call.optionalInput("offset");
    checkNumeric(call, data, "data");
    checkBlockTable(call, data.shape(), scale.shape(), "scale");
    if (offset != nullptr && offset->shape() != scale.shape()) {
        call.fail("\"offset\" " + describeShape(offset->shape()) + " must have the shape of \"scale\" " +
                  describeShape(scale.shape()));
    }
    auto offsets = offset != nullptr ? floatsOf(*offset) : std::vector<float>(static_cast<std::size_t>(scale.count()), 0);
    return {data, scale.shape(), floatsOf(scale), std::move(offsets), floatResultType(call, 0, scale)};
}

} // namespace

std::vector<Tensor> affineDequantizeKernel(const OpCall& call) {
    const auto decompression = affineArguments(call);
    return {shiftScale(decompression.data, decompression.table, decompression.scales, decompression.offsets,
                       decompression.resultType)};
}

std::optional<Tensor> packedAffineDequantize(const OpCall& call) {
    const auto decompression = affineArguments(call);
    return packedShiftScale(decompression.data, decompression.table, decompression.scales, decompression.offsets,
                            decompression.resultType);
}

std::optional<Tensor> packedBlockwiseShiftScale(const OpCall& call) {
    const auto decompression = blockwiseArguments(call);
    return packedShiftScale(decompression.data, decompression.table, decompression.scales, decompression.offsets,
                            decompression.resultType);
}

std::vector<Tensor> dequantizeKernel(const OpCall& call) {
    const auto& data = call.input("input");
    const auto& scale = call.input("scale");
    const auto* zeroPoint = call.optionalInput("zero_point");
    checkNumeric(call, data, "input");
    const auto table = axisTable(call, data.shape(), {{"scale", &scale}, {"zero_point", zeroPoint}}, optionalAxis(call));
    return {shiftScale(data, table, tableValues(&scale, table, 1), tableValues(zeroPoint, table, 0),
                       floatResultType(call, 0, scale))};
}

std::vector<Tensor> quantizeKernel(const OpCall& call) {
    const auto& data = call.input("input");
    const auto& scale = call.input("scale");
    const auto* zeroPoint = call.optionalInput("zero_point");
    const auto typeName = call.textParameter("output_dtype");
    const auto type = dataTypeFromName(typeName);
    if (type != DataType::int8 && type != DataType::uint8) {
        call.fail("\"output_dtype\" must be \"int8\" or \"uint8\", not \"" + typeName + "\"");
    }
    checkNumeric(call, data, "input");
    const auto table = axisTable(call, data.shape(), {{"scale", &scale}, {"zero_point", zeroPoint}}, optionalAxis(call));
    const auto scales = tableValues(&scale, table, 1);
    const auto zeroPoints = tableValues(zeroPoint, table, 0);
    const float low = *type == DataType::int8 ? -128 : 0;
    const float high = *type == DataType::int8 ? 127 : 255;
    Tensor result(resultTypeLike(call, 0, *type), data.shape());
    if (result.count() == 0) {
        return {result};
    }
    const auto values = floatsOf(data);
    const BlockLayout layout(data.shape(), table);
    auto out = result.mutableIntValues();
    parallelFor(layout.rows(), rowGrain(layout.rowLength()), [&](std::int64_t begin, std::int64_t end) {
        for (auto row = begin; row < end; ++row) {
            const auto base = layout.rowOffset(row);
            const auto first = static_cast<std::size_t>(row * layout.rowLength());
            for (std::int64_t c = 0; c < layout.rowLength(); ++c) {
                const auto k = static_cast<std::size_t>(base + layout.columnOffset(c));
                const auto i = first + static_cast<std::size_t>(c);
                // Ties round to even; NaN quantizes to the zero point.
                const auto scaled = std::nearbyint(values[i] / scales[k]);
                const auto shifted = (std::isnan(scaled) ? 0.0f : scaled) + zeroPoints[k];
                out[i] = static_cast<std::int32_t>(std::clamp(shifted, low, high));
            }
        }
    });
    return {result};
}

std::vector<Tensor> blockwiseShiftScaleKernel(const OpCall& call) {
    const auto decompression = blockwiseArguments(call);
    return {shiftScale(decompression.data, decompression.table, decompression.scales, decompression.offsets,
                       decompression.resultType)};
}

std::vector<Tensor> sparseBlockwiseShiftScaleKernel(const OpCall& call) {
    const auto& mask = call.input("data_mask");
    const auto& data = call.input("nonzero_data");
    const auto& scale = call.input("scale");
    const auto* offset = call.optionalInput("offset");
    checkNumeric(call, data, "nonzero_data");
    checkBlockTable(call, mask.shape(), scale.shape(), "scale");
    if (offset != nullptr && offset->shape() != scale.shape()) {
        call.fail("\"offset\" " + describeShape(offset->shape()) + " must have the shape of \"scale\" " +
                  describeShape(scale.shape()));
    }
    const auto flags = maskFlags(mask);
    const auto set = std::ranges::count(flags, 1);
    if (data.count() != set) {
        call.fail("\"nonzero_data\" has " + std::to_string(data.count()) + " values for the " + std::to_string(set) +
                  " set bits of \"data_mask\"");
    }
    const auto scales = floatsOf(scale);
    const auto offsets = offset != nullptr ? floatsOf(*offset) : std::vector<float>(scales.size(), 0);
    const auto values = floatsOf(data);
    Tensor result(floatResultType(call, 1, scale), {set});
    auto out = result.mutableFloatValues();
    const BlockLayout layout(mask.shape(), scale.shape());
    std::size_t next = 0;
    for (std::int64_t row = 0; row < layout.rows(); ++row) {
        const auto base = layout.rowOffset(row);
        for (std::int64_t c = 0; c < layout.rowLength(); ++c) {
            if (flags[static_cast<std::size_t>(row * layout.rowLength() + c)] != 0) {
                const auto k = static_cast<std::size_t>(base + layout.columnOffset(c));
                out[next] = scales[k] * (values[next] - offsets[k]);
                ++next;
            }
        }
    }
    return {mask.relabelled(resultTypeLike(call, 0, mask.dataType())), result};
}

std::vector<Tensor> constantCastKernel(const OpCall& call) {
    const auto& source = call.input("source_val");
    const auto typeName = call.textParameter("output_dtype");
    const auto type = dataTypeFromName(typeName);
    if (!type || *type == DataType::string || source.kind() == StorageKind::string) {
        call.fail("cannot cast to \"" + typeName + "\"");
    }
    return {source.convertedTo(*type)};
}

} // namespace platform::coreml::mil
