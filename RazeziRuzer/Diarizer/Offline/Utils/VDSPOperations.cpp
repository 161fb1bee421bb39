#include "RazeziRuzer/Diarizer/Offline/Utils/VDSPOperations.hpp"

#include "Platform/Accel/VectorOps.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace razeziruzer::VDSPOperations {

std::vector<float> l2Normalize(std::span<const float> values) {
    std::vector<float> result(values.size());
    if (values.empty()) return result;
    const float sumOfSquares = platform::accel::dot(values, values);
    const float scale = 1.0f / std::max(std::sqrt(sumOfSquares), 1e-12f);
    platform::accel::scale(values, scale, result);
    return result;
}

float logSumExp(std::span<const float> values) {
    if (values.empty()) return -std::numeric_limits<float>::infinity();
    float maximum = values.front();
    for (const float value : values) {
        if (value > maximum) maximum = value;
    }
    std::vector<float> shifted(values.size());
    platform::accel::addScalar(values, -maximum, shifted);
    platform::accel::exp(shifted, shifted);
    return maximum + std::log(platform::accel::sum(shifted));
}

} // namespace razeziruzer::VDSPOperations
