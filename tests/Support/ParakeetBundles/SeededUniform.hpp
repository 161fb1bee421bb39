#pragma once
// Uniform values from a fixed generator, so that bundles written twice carry
// the same weights; half-precision variants are rounded as fp16 storage would.

#include "Platform/Accel/Float16.hpp"

#include <cstdint>
#include <vector>

namespace testsupport::parakeet {

class SeededUniform {
public:
    explicit SeededUniform(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}

    // Values in [-scale, scale).
    std::vector<float> values(std::size_t count, float scale) {
        std::vector<float> out(count);
        for (auto& value : out) value = scale * (2.0f * next() - 1.0f);
        return out;
    }

    std::vector<float> halfValues(std::size_t count, float scale) {
        auto out = values(count, scale);
        for (auto& value : out) value = static_cast<float>(static_cast<platform::accel::NativeHalf>(value));
        return out;
    }

private:
    float next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<float>(state_ >> 40) / static_cast<float>(1ull << 24);
    }

    std::uint64_t state_;
};

} // namespace testsupport::parakeet
