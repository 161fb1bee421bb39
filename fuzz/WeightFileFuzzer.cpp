// Weight files ("weights/weight.bin"): the first eight bytes choose a record
// offset, an element type and a shape; the rest is the file.

#include "Platform/CoreML/MIL/BlobStorage.hpp"
#include "fuzz/FuzzInputFile.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>

namespace {

using namespace platform::coreml::mil;

constexpr DataType types[] = {DataType::fp32, DataType::fp16, DataType::bf16, DataType::int8, DataType::uint8,
                              DataType::int16, DataType::uint16, DataType::int32, DataType::int4, DataType::uint4,
                              DataType::uint2, DataType::uint1, DataType::uint3, DataType::uint6};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    const auto offset = std::uint64_t{data[0]} * 64 + data[1];
    const auto type = types[data[2] % std::size(types)];
    const Shape shape{data[3] + 1, data[4] + 1, (data[5] << 8 | data[6]) + 0};
    const auto variant = data[7];
    try {
        const auto file = fuzzing::writeInputFile(data + 8, size - 8, "weight.bin");
        const auto storage = BlobStorage::open(file);
        storage->read(offset, type, variant % 2 == 0 ? shape : Shape{shape[2]});
    } catch (const std::exception&) {
    }
    return 0;
}
