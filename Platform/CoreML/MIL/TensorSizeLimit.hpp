#pragma once
// The largest tensor the runtime will make. A damaged or hostile program can
// ask for shapes whose elements do not fit in memory (a fill of [100000,
// 100000], a tile with huge repetitions); such a request fails before anything
// is allocated, with TensorSizeError, which callers tell apart from other
// failures: the bundle on disk may be exactly what its publisher made, so
// fetching it again would not help.

#include "Platform/Core/Error.hpp"
#include "Platform/CoreML/MIL/DataType.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::coreml::mil {

class TensorSizeError : public Error {
public:
    using Error::Error;
};

// A fixed ceiling (16 GiB), lowered to the machine's physical memory.
std::uint64_t tensorByteLimit();

// Bytes one element of `kind` takes in a tensor (text counts as one).
std::size_t tensorElementBytes(StorageKind kind);

// The element count of `shape` (whose sizes are not negative); throws
// TensorSizeError when the count overflows or its elements of `kind` need more
// than `limitBytes`.
std::int64_t checkedTensorCount(const std::vector<std::int64_t>& shape, StorageKind kind,
                                std::uint64_t limitBytes = tensorByteLimit());

} // namespace platform::coreml::mil
