#pragma once
// How the directions of a recurrent layer run and how their hidden states
// become the layer's results.

#include "Platform/CoreML/MIL/Ops/RecurrentArguments.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace platform::coreml::mil {

// What one direction produced: its hidden state after each input step, stored
// at that step's time index ([steps, batch, hidden]; a backward pass fills it
// from the last index down), and its final states ([batch, hidden] each: h,
// then c for an LSTM).
struct DirectionRun {
    std::vector<float> hiddenSequence;
    std::vector<std::vector<float>> finalStates;
};

// The time index a direction reads at its `step`-th step.
inline std::int64_t timeIndex(std::int64_t step, std::int64_t steps, bool backward) {
    return backward ? steps - 1 - step : step;
}

// Direction `direction`'s columns of a [batch, directions·hidden] state.
std::vector<float> directionColumns(std::span<const float> state, const RecurrentShape& shape,
                                    std::int64_t direction);

// Runs every direction (0 forward, 1 backward), concurrently when there are two.
std::vector<DirectionRun> runDirections(const RecurrentShape& shape,
                                        const std::function<DirectionRun(std::int64_t direction)>& run);

// The layer's results: the output, then each final state as [batch, directions·hidden].
// The output is [steps, batch, directions·hidden] with the directions side by
// side when `outputSequence`; otherwise [1, batch, directions·hidden] holding
// each direction's output at the final time index of its own processing
// (the last index for a forward pass, the first for a backward one, so each
// has seen the whole sequence): that is each direction's final h.
std::vector<Tensor> recurrentResults(const std::vector<DirectionRun>& runs, const RecurrentShape& shape,
                                     bool outputSequence);

} // namespace platform::coreml::mil
