// gru: a gated recurrent layer over a time-major sequence, forward or reverse.
// The stacked weights hold three gate blocks of `hidden` rows in the order
// r (reset), o (new state candidate), z (update). With x the step's input and
// h the previous state:
//   r = recurrent(W_r·x + R_r·h + b_r)
//   z = recurrent(W_z·x + R_z·h + b_z)
//   o = activation(W_o·x + R_o·(r⊙h) + b_o)               reset_after false
//   o = activation(W_o·x + bi_o + r⊙(R_o·h + b_o))         reset_after true
//   h' = (1−z)⊙o + z⊙h
// Without reset_after, bias and input_bias (each zero when absent) both add to
// every gate's input side. With reset_after, input_bias (bi) is the input
// side's bias and bias the recurrent side's, so the reset gate scales the
// recurrent bias of o too.

#include "Platform/CoreML/MIL/Ops/RecurrentActivation.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentArguments.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentProduct.hpp"
#include "Platform/CoreML/MIL/Ops/RecurrentResults.hpp"
#include "Platform/CoreML/MIL/Ops/SequenceKernels.hpp"

#include <algorithm>

namespace platform::coreml::mil {
namespace {

constexpr std::int64_t gruGates = 3;
constexpr std::size_t resetGate = 0, candidateGate = 1, updateGate = 2;

struct GruLayer {
    RecurrentActivation recurrentActivation;
    RecurrentActivation activation;
    bool resetAfter = false;
    std::span<const float> recurrent; // [3H, H]
    std::vector<float> inputBias;     // [3H], added to the input projection
    std::vector<float> recurrentBias; // [3H] with reset_after, else empty
};

std::vector<float> summed(std::span<const float> a, std::span<const float> b, std::size_t size) {
    std::vector<float> sum(size, 0.0F);
    for (std::size_t i = 0; i < size; ++i) {
        sum[i] = (a.empty() ? 0.0F : a[i]) + (b.empty() ? 0.0F : b[i]);
    }
    return sum;
}

GruLayer gruLayer(const OpCall& call, const RecurrentShape& shape) {
    const auto rows = gruGates * shape.hiddenSize;
    const auto bias = optionalFloatVector(call, "bias", rows);
    const auto inputBias = optionalFloatVector(call, "input_bias", rows);
    GruLayer layer{RecurrentActivation::named(call, "recurrent_activation", "sigmoid"),
                   RecurrentActivation::named(call, "activation", "tanh"), call.boolParameter("reset_after", false),
                   floatElements(call, "weight_hh", {rows, shape.hiddenSize}), {}, {}};
    const auto size = static_cast<std::size_t>(rows);
    if (layer.resetAfter) {
        layer.inputBias = summed(inputBias, {}, size);
        layer.recurrentBias = summed(bias, {}, size);
    } else {
        layer.inputBias = summed(bias, inputBias, size);
    }
    return layer;
}

// [batch, hidden]: h · R_gᵀ for one gate's block of recurrent weights.
std::vector<float> gateProduct(const GruLayer& layer, std::span<const float> h, std::size_t batch,
                               std::size_t hidden, std::size_t gate) {
    std::vector<float> product(batch * hidden, 0.0F);
    addProductTransposed(h, batch, hidden, layer.recurrent.subspan(gate * hidden * hidden, hidden * hidden), hidden,
                         product);
    return product;
}

// One step's gates, each [batch, hidden]: r (activated), z before its
// activation, and o's input and recurrent parts (R_o·h + b_o with reset_after,
// R_o·(r⊙h) without) before they are combined.
struct GruStep {
    std::vector<float> reset, update, candidateInput, candidateRecurrent;
};

GruStep resetAfterStep(const GruLayer& layer, std::span<const float> gates, std::span<const float> h,
                       std::size_t batch, std::size_t hidden) {
    const auto width = gruGates * hidden;
    std::vector<float> recurrent(batch * width);
    for (std::size_t row = 0; row < batch; ++row) {
        std::ranges::copy(layer.recurrentBias, recurrent.begin() + static_cast<std::ptrdiff_t>(row * width));
    }
    addProductTransposed(h, batch, hidden, layer.recurrent, width, recurrent);
    GruStep step{std::vector<float>(batch * hidden), std::vector<float>(batch * hidden),
                 std::vector<float>(batch * hidden), std::vector<float>(batch * hidden)};
    for (std::size_t row = 0; row < batch; ++row) {
        for (std::size_t j = 0; j < hidden; ++j) {
            const auto at = [&](std::size_t gate) { return row * width + gate * hidden + j; };
            const auto out = row * hidden + j;
            step.reset[out] = gates[at(resetGate)] + recurrent[at(resetGate)];
            step.update[out] = gates[at(updateGate)] + recurrent[at(updateGate)];
            step.candidateInput[out] = gates[at(candidateGate)];
            step.candidateRecurrent[out] = recurrent[at(candidateGate)];
        }
    }
    layer.recurrentActivation.applyTo(step.reset);
    return step;
}

GruStep resetBeforeStep(const GruLayer& layer, std::span<const float> gates, std::span<const float> h,
                        std::size_t batch, std::size_t hidden) {
    const auto width = gruGates * hidden;
    GruStep step{gateProduct(layer, h, batch, hidden, resetGate), gateProduct(layer, h, batch, hidden, updateGate),
                 std::vector<float>(batch * hidden), {}};
    for (std::size_t row = 0; row < batch; ++row) {
        for (std::size_t j = 0; j < hidden; ++j) {
            const auto out = row * hidden + j;
            step.reset[out] += gates[row * width + resetGate * hidden + j];
            step.update[out] += gates[row * width + updateGate * hidden + j];
            step.candidateInput[out] = gates[row * width + candidateGate * hidden + j];
        }
    }
    layer.recurrentActivation.applyTo(step.reset);
    std::vector<float> resetHidden(batch * hidden);
    for (std::size_t i = 0; i < resetHidden.size(); ++i) {
        resetHidden[i] = step.reset[i] * h[i];
    }
    step.candidateRecurrent = gateProduct(layer, resetHidden, batch, hidden, candidateGate);
    return step;
}

void gruStep(const GruLayer& layer, std::span<const float> gates, std::vector<float>& h, std::size_t batch,
             std::size_t hidden) {
    auto step = layer.resetAfter ? resetAfterStep(layer, gates, h, batch, hidden)
                                 : resetBeforeStep(layer, gates, h, batch, hidden);
    auto& candidate = step.candidateInput;
    for (std::size_t i = 0; i < candidate.size(); ++i) {
        candidate[i] += layer.resetAfter ? step.reset[i] * step.candidateRecurrent[i] : step.candidateRecurrent[i];
    }
    layer.activation.applyTo(candidate);
    layer.recurrentActivation.applyTo(step.update);
    for (std::size_t i = 0; i < h.size(); ++i) {
        h[i] = (1.0F - step.update[i]) * candidate[i] + step.update[i] * h[i];
    }
}

} // namespace

std::vector<Tensor> gruKernel(const OpCall& call) {
    const auto direction = recurrentDirection(call, false);
    const auto shape = recurrentShape(call, gruGates, direction);
    const auto layer = gruLayer(call, shape);
    const auto initialH = floatElements(call, "initial_h", {shape.batch, shape.hiddenSize});
    const auto steps = static_cast<std::size_t>(shape.steps), batch = static_cast<std::size_t>(shape.batch);
    const auto hidden = static_cast<std::size_t>(shape.hiddenSize), stepSize = batch * gruGates * hidden;
    const auto projected = projectInput(call.input("x").floatValues(), steps * batch,
                                        static_cast<std::size_t>(shape.inputSize),
                                        RecurrentWeight{call.input("weight_ih").floatValues()}, gruGates * hidden,
                                        layer.inputBias);
    DirectionRun run{std::vector<float>(steps * batch * hidden), {{initialH.begin(), initialH.end()}}};
    auto& h = run.finalStates.front();
    const bool backward = direction == RecurrentDirection::reverse;
    for (std::int64_t step = 0; step < shape.steps; ++step) {
        const auto t = static_cast<std::size_t>(timeIndex(step, shape.steps, backward));
        gruStep(layer, std::span(projected).subspan(t * stepSize, stepSize), h, batch, hidden);
        std::ranges::copy(h, run.hiddenSequence.begin() + static_cast<std::ptrdiff_t>(t * batch * hidden));
    }
    return recurrentResults({run}, shape, call.boolParameter("output_sequence", false));
}

} // namespace platform::coreml::mil
