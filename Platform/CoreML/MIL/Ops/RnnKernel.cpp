// rnn: a plain recurrent layer over a time-major sequence, forward or reverse:
//   h' = activation(W·x + R·h + b)
// with W [H, I], R [H, H] and b [H] (zero when absent).

#include "Platform/CoreML/MIL/Ops/RecurrentActivation.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentArguments.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentProduct.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentResults.hpp"
#include "Platform/CoreML/MIL/Ops/SequenceKernels.hpp"

#include <algorithm>

namespace platform::coreml::mil {

std::vector<Tensor> rnnKernel(const OpCall& call) {
    const auto direction = recurrentDirection(call, false);
    const auto shape = recurrentShape(call, 1, direction);
    const auto activation = RecurrentActivation::named(call, "activation", "tanh");
    const auto bias = optionalFloatVector(call, "bias", shape.hiddenSize);
    const auto initialH = floatElements(call, "initial_h", {shape.batch, shape.hiddenSize});
    const auto recurrent = call.input("weight_hh").floatValues();
    const auto steps = static_cast<std::size_t>(shape.steps), batch = static_cast<std::size_t>(shape.batch);
    const auto hidden = static_cast<std::size_t>(shape.hiddenSize), stepSize = batch * hidden;
    const auto projected = projectInput(call.input("x").floatValues(), steps * batch,
                                        static_cast<std::size_t>(shape.inputSize),
                                        RecurrentWeight{call.input("weight_ih").floatValues()}, hidden, bias);
    DirectionRun run{std::vector<float>(steps * stepSize), {{initialH.begin(), initialH.end()}}};
    auto& h = run.finalStates.front();
    std::vector<float> next(stepSize);
    const bool backward = direction == RecurrentDirection::reverse;
    for (std::int64_t step = 0; step < shape.steps; ++step) {
        const auto t = static_cast<std::size_t>(timeIndex(step, shape.steps, backward));
        std::copy_n(projected.begin() + static_cast<std::ptrdiff_t>(t * stepSize), stepSize, next.begin());
        addProductTransposed(h, batch, hidden, recurrent, hidden, next);
        activation.applyTo(next);
        h = next;
        std::ranges::copy(h, run.hiddenSequence.begin() + static_cast<std::ptrdiff_t>(t * stepSize));
    }
    return recurrentResults({run}, shape, call.boolParameter("output_sequence", false));
}

} // namespace platform::coreml::mil
