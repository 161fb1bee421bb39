#pragma once
// The detector's recurrent state carried from one chunk to the next.

#include <cstddef>
#include <vector>

namespace razeziruzer {

struct VadState {
    static constexpr std::size_t contextLength = 64;
    static constexpr std::size_t stateSize = 128;

    std::vector<float> hiddenState;
    std::vector<float> cellState;
    // The last samples of the previous chunk.
    std::vector<float> context;

    static VadState initial() {
        return {std::vector<float>(stateSize, 0.0f), std::vector<float>(stateSize, 0.0f),
                std::vector<float>(contextLength, 0.0f)};
    }

    bool operator==(const VadState&) const = default;
};

} // namespace razeziruzer
