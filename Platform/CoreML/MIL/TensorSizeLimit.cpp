#include "Platform/CoreML/MIL/TensorSizeLimit.hpp"

#include <unistd.h>

#include <algorithm>
#include <limits>
#include <string>

namespace platform::coreml::mil {
namespace {

constexpr std::uint64_t fixedCeiling = std::uint64_t{16} << 30;

std::uint64_t physicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::string shapeText(const std::vector<std::int64_t>& shape) {
    std::string text = "[";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(shape[i]);
    }
    return text + "]";
}

} // namespace

std::uint64_t tensorByteLimit() {
    static const std::uint64_t limit = std::min(fixedCeiling, physicalMemory());
    return limit;
}

std::size_t tensorElementBytes(StorageKind kind) {
    switch (kind) {
    case StorageKind::float32: return sizeof(float);
    case StorageKind::int32: return sizeof(std::int32_t);
    case StorageKind::boolean:
    case StorageKind::string: return 1;
    }
    return 1;
}

std::int64_t checkedTensorCount(const std::vector<std::int64_t>& shape, StorageKind kind, std::uint64_t limitBytes) {
    if (std::ranges::find(shape, 0) != shape.end()) {
        return 0;
    }
    const auto elementLimit = limitBytes / tensorElementBytes(kind);
    std::uint64_t count = 1;
    for (const auto size : shape) {
        const auto factor = static_cast<std::uint64_t>(size);
        if (factor != 0 && count > elementLimit / factor) {
            throw TensorSizeError("a tensor of shape " + shapeText(shape) + " would need more than the " +
                                  std::to_string(limitBytes) + " bytes one tensor may take");
        }
        count *= factor;
    }
    return static_cast<std::int64_t>(count);
}

} // namespace platform::coreml::mil
