#include "Platform/CoreML/ElementAccess.hpp"

#include "Platform/Accel/Float16.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace platform::coreml {
namespace {

template <typename T>
T load(const void* address) {
    T value;
    std::memcpy(&value, address, sizeof value);
    return value;
}

template <typename T>
void store(void* address, T value) {
    std::memcpy(address, &value, sizeof value);
}

template <typename Integer>
Integer saturatingCast(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr auto lowest = static_cast<double>(std::numeric_limits<Integer>::lowest());
    constexpr auto highest = static_cast<double>(std::numeric_limits<Integer>::max());
    if (value <= lowest) {
        return std::numeric_limits<Integer>::lowest();
    }
    if (value >= highest) {
        return std::numeric_limits<Integer>::max();
    }
    return static_cast<Integer>(value);
}

} // namespace

double readElement(const void* address, MLMultiArrayDataType type) {
    switch (type) {
    case MLMultiArrayDataType::float16: return accel::halfToFloat(load<std::uint16_t>(address));
    case MLMultiArrayDataType::float32: return load<float>(address);
    case MLMultiArrayDataType::float64: return load<double>(address);
    case MLMultiArrayDataType::int32: return load<std::int32_t>(address);
    case MLMultiArrayDataType::int8: return load<std::int8_t>(address);
    }
    return 0;
}

void writeElement(void* address, MLMultiArrayDataType type, double value) {
    switch (type) {
    case MLMultiArrayDataType::float16: store(address, accel::floatToHalf(static_cast<float>(value))); break;
    case MLMultiArrayDataType::float32: store(address, static_cast<float>(value)); break;
    case MLMultiArrayDataType::float64: store(address, value); break;
    case MLMultiArrayDataType::int32: store(address, saturatingCast<std::int32_t>(value)); break;
    case MLMultiArrayDataType::int8: store(address, saturatingCast<std::int8_t>(value)); break;
    }
}

std::int32_t toInt32(double value) { return saturatingCast<std::int32_t>(value); }

std::int64_t toInt64(double value) { return saturatingCast<std::int64_t>(value); }

} // namespace platform::coreml
