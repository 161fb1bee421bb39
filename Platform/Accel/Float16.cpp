#include "Platform/Accel/Float16.hpp"

#include <stdexcept>

namespace platform::accel {

void convertHalfToFloat(std::span<const std::uint16_t> source, std::span<float> destination) {
    if (source.size() != destination.size()) throw std::invalid_argument("float16 conversion: length mismatch");
    for (size_t i = 0; i < source.size(); ++i) destination[i] = halfToFloat(source[i]);
}

void convertFloatToHalf(std::span<const float> source, std::span<std::uint16_t> destination) {
    if (source.size() != destination.size()) throw std::invalid_argument("float16 conversion: length mismatch");
    for (size_t i = 0; i < source.size(); ++i) destination[i] = floatToHalf(source[i]);
}

} // namespace platform::accel
