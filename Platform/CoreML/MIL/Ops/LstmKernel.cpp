// lstm: a long short-term memory layer over a time-major sequence, forward,
// reverse or both ways. Each direction's stacked weights hold four gate blocks
// of `hidden` rows in the order i (input), f (forget), o (output), z (cell
// candidate). With x the step's input and h, c the previous states:
//   i = recurrent(W_i·x + R_i·h + b_i + p_i⊙c)
//   f = recurrent(W_f·x + R_f·h + b_f + p_f⊙c)
//   z = cell(W_z·x + R_z·h + b_z)
//   c' = clamp(f⊙c + i⊙z, −clip, clip)             (unclamped without clip)
//   o = recurrent(W_o·x + R_o·h + b_o + p_o⊙c')
//   h' = o⊙activation(c')
// where the peephole vector p holds p_i, p_f, p_o (zero when absent) and the
// bias is the sum of the input and recurrent biases. "reverse" runs the
// forward weights over the sequence read backwards; "bidirectional" runs the
// `_back` weights that way beside the forward pass.

#include "Platform/CoreML/MIL/Ops/RecurrentActivation.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentArguments.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentProduct.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentResults.hpp"
#include "Platform/CoreML/MIL/Ops/SequenceKernels.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace platform::coreml::mil {
namespace {

constexpr std::int64_t lstmGates = 4;

struct LstmSettings {
    RecurrentActivation recurrent;
    RecurrentActivation cell;
    RecurrentActivation output;
    std::optional<float> clip;
};

struct LstmWeights {
    RecurrentWeight input;     // [4H, I]
    RecurrentWeight recurrent; // [4H, H]
    std::span<const float> bias;      // [4H] or empty
    std::span<const float> peephole;  // [3H] or empty
};

LstmSettings lstmSettings(const OpCall& call) {
    std::optional<float> clip;
    if (call.has("clip")) {
        const auto value = call.floatParameter("clip");
        if (!(value >= 0)) {
            call.fail("clip must be a number of zero or more, not " + std::to_string(value));
        }
        clip = static_cast<float>(value);
    }
    return {RecurrentActivation::named(call, "recurrent_activation", "sigmoid"),
            RecurrentActivation::named(call, "cell_activation", "tanh"),
            RecurrentActivation::named(call, "activation", "tanh"), clip};
}

LstmWeights lstmWeights(const OpCall& call, const RecurrentShape& shape, bool back) {
    const std::string suffix = back ? "_back" : "";
    const auto hidden = shape.hiddenSize, rows = lstmGates * hidden;
    if (back && (!call.has("weight_ih_back") || !call.has("weight_hh_back"))) {
        call.fail("a bidirectional layer needs weight_ih_back and weight_hh_back");
    }
    return {weightMatrix(call, "weight_ih" + suffix, {rows, shape.inputSize}),
            weightMatrix(call, "weight_hh" + suffix, {rows, hidden}),
            optionalFloatVector(call, "bias" + suffix, rows),
            optionalFloatVector(call, "peephole" + suffix, 3 * hidden)};
}

// Turns one batch row's gate pre-activations into its new c and h.
void updateRow(const LstmSettings& settings, std::span<const float> peephole, std::span<float> gates,
               std::span<float> c, std::span<float> h) {
    const auto hidden = c.size();
    auto in = gates.subspan(0, hidden), forget = gates.subspan(hidden, hidden);
    auto out = gates.subspan(2 * hidden, hidden), candidate = gates.subspan(3 * hidden, hidden);
    if (!peephole.empty()) {
        for (std::size_t j = 0; j < hidden; ++j) {
            in[j] += peephole[j] * c[j];
            forget[j] += peephole[hidden + j] * c[j];
        }
    }
    settings.recurrent.applyTo(in);
    settings.recurrent.applyTo(forget);
    settings.cell.applyTo(candidate);
    for (std::size_t j = 0; j < hidden; ++j) {
        c[j] = forget[j] * c[j] + in[j] * candidate[j];
        if (settings.clip) {
            c[j] = std::clamp(c[j], -*settings.clip, *settings.clip);
        }
        if (!peephole.empty()) {
            out[j] += peephole[2 * hidden + j] * c[j];
        }
    }
    settings.recurrent.applyTo(out);
    std::ranges::copy(c, h.begin());
    settings.output.applyTo(h);
    for (std::size_t j = 0; j < hidden; ++j) {
        h[j] *= out[j];
    }
}

DirectionRun runLstm(const LstmSettings& settings, const LstmWeights& weights, const RecurrentShape& shape,
                     std::span<const float> x, std::vector<float> h, std::vector<float> c, bool backward) {
    const auto batch = static_cast<std::size_t>(shape.batch), hidden = static_cast<std::size_t>(shape.hiddenSize);
    const auto width = lstmGates * hidden, stepSize = batch * width;
    const auto projected = projectInput(x, static_cast<std::size_t>(shape.steps) * batch,
                                        static_cast<std::size_t>(shape.inputSize), weights.input, width, weights.bias);
    DirectionRun run;
    run.hiddenSequence.resize(static_cast<std::size_t>(shape.steps) * batch * hidden);
    std::vector<float> gates(stepSize);
    for (std::int64_t step = 0; step < shape.steps; ++step) {
        const auto t = static_cast<std::size_t>(timeIndex(step, shape.steps, backward));
        std::copy_n(projected.begin() + static_cast<std::ptrdiff_t>(t * stepSize), stepSize, gates.begin());
        addProductTransposed(h, batch, hidden, weights.recurrent, width, gates);
        for (std::size_t row = 0; row < batch; ++row) {
            updateRow(settings, weights.peephole, std::span(gates).subspan(row * width, width),
                      std::span(c).subspan(row * hidden, hidden), std::span(h).subspan(row * hidden, hidden));
        }
        std::ranges::copy(h, run.hiddenSequence.begin() + static_cast<std::ptrdiff_t>(t * batch * hidden));
    }
    run.finalStates = {std::move(h), std::move(c)};
    return run;
}

} // namespace

std::vector<Tensor> lstmKernel(const OpCall& call) {
    const auto direction = recurrentDirection(call, true);
    const auto shape = recurrentShape(call, lstmGates, direction);
    const auto settings = lstmSettings(call);
    const Shape stateShape{shape.batch, shape.directions * shape.hiddenSize};
    const auto initialH = floatElements(call, "initial_h", stateShape);
    const auto initialC = floatElements(call, "initial_c", stateShape);
    std::vector<LstmWeights> weights{lstmWeights(call, shape, false)};
    if (direction == RecurrentDirection::bidirectional) {
        weights.push_back(lstmWeights(call, shape, true));
    }
    const auto x = call.input("x").floatValues();
    const auto runs = runDirections(shape, [&](std::int64_t d) {
        const bool backward = d == 1 || direction == RecurrentDirection::reverse;
        return runLstm(settings, weights[static_cast<std::size_t>(d)], shape, x, directionColumns(initialH, shape, d),
                       directionColumns(initialC, shape, d), backward);
    });
    return recurrentResults(runs, shape, call.boolParameter("output_sequence", false));
}

} // namespace platform::coreml::mil
