#include "RazeziRuzer/Shared/MLMultiArrayAdditions.hpp"

#include "Platform/Accel/VectorOps.hpp"

namespace razeziruzer {

using platform::coreml::MLMultiArrayDataType;

void reset(const platform::coreml::MLMultiArray& array, double to) {
    const auto type = array.dataType();
    if (type != MLMultiArrayDataType::float32 && type != MLMultiArrayDataType::int32) return;
    if (type == MLMultiArrayDataType::float32 && array.isContiguous()) {
        platform::accel::fill(std::span(array.dataPointer<float>(), static_cast<std::size_t>(array.count())),
                              static_cast<float>(to));
        return;
    }
    array.fill(to);
}

void prefetchToNeuralEngine(const platform::coreml::MLMultiArray& array) {
    if (array.count() == 0) return;
    [[maybe_unused]] const volatile double first = array[0].doubleValue();
    [[maybe_unused]] const volatile double last = array[array.count() - 1].doubleValue();
}

} // namespace razeziruzer
