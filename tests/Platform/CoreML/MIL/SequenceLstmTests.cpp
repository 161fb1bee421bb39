#include "tests/Platform/CoreML/MIL/SequenceTestSupport.hpp"

#include <cmath>
#include <optional>

namespace {

using namespace sequencetest;
using miltest::floats;
using miltest::runKernel;
using miltest::scalarBool;
using miltest::scalarFloat;
using miltest::text;

double activate(const std::string& name, double v) {
    if (name == "sigmoid") return 1 / (1 + std::exp(-v));
    if (name == "tanh") return std::tanh(v);
    if (name == "relu") return v > 0 ? v : 0;
    if (name == "linear") return v;
    if (name == "scaled_tanh") return 1.0 * std::tanh(1.0 * v);
    if (name == "hard_sigmoid") return std::clamp(0.2 * v + 0.5, 0.0, 1.0);
    ADD_FAILURE() << "unknown activation " << name;
    return 0;
}

// Which block of the stacked weight rows each gate's rows are in.
struct GateOrder {
    int input, forget, output, candidate;
};
constexpr GateOrder ifoz{0, 1, 2, 3};

struct LstmCase {
    std::string name;
    std::int64_t steps = 3;
    std::string direction = "forward";
    bool outputSequence = false;
    bool peephole = false;
    std::optional<float> clip = std::nullopt;
    bool bias = true;
    std::string recurrentActivation = "sigmoid";
    std::string cellActivation = "tanh";
    std::string activation = "tanh";
    float weightScale = 0.8F;
    std::int64_t hidden = 3;
    std::int64_t inputSize = 2;
    std::int64_t batch = 2;
};

struct DirectionWeights {
    std::vector<float> ih, hh, bias, peephole;
};

struct LstmFixture {
    LstmCase settings;
    std::vector<float> x, h0, c0;
    std::vector<DirectionWeights> weights; // forward, then backward when bidirectional

    std::int64_t directions() const { return settings.direction == "bidirectional" ? 2 : 1; }

    explicit LstmFixture(LstmCase c) : settings(std::move(c)) {
        const auto hidden = settings.hidden, inputSize = settings.inputSize, batch = settings.batch;
        const auto width = static_cast<std::size_t>(directions() * hidden * batch);
        x = smallValues(static_cast<std::size_t>(settings.steps * batch * inputSize), 1, 1.0F);
        h0 = smallValues(width, 2, 0.5F);
        c0 = smallValues(width, 3, 0.5F);
        for (std::uint32_t d = 0; d < directions(); ++d) {
            const auto s = settings.weightScale;
            weights.push_back({smallValues(4 * hidden * inputSize, 10 + d, s), smallValues(4 * hidden * hidden, 20 + d, s),
                               settings.bias ? smallValues(4 * hidden, 30 + d, s) : std::vector<float>{},
                               settings.peephole ? smallValues(3 * hidden, 40 + d, s) : std::vector<float>{}});
        }
    }

    std::vector<Arg> args() const {
        const auto hidden = settings.hidden, inputSize = settings.inputSize, batch = settings.batch;
        std::vector<Arg> list{{"x", floats({settings.steps, batch, inputSize}, x)},
                              {"initial_h", floats({batch, directions() * hidden}, h0)},
                              {"initial_c", floats({batch, directions() * hidden}, c0)}};
        for (std::size_t d = 0; d < weights.size(); ++d) {
            const std::string suffix = d == 0 ? "" : "_back";
            const auto& w = weights[d];
            list.emplace_back("weight_ih" + suffix, floats({4 * hidden, inputSize}, w.ih));
            list.emplace_back("weight_hh" + suffix, floats({4 * hidden, hidden}, w.hh));
            if (!w.bias.empty()) list.emplace_back("bias" + suffix, floats({4 * hidden}, w.bias));
            if (!w.peephole.empty()) list.emplace_back("peephole" + suffix, floats({3 * hidden}, w.peephole));
        }
        // Parameters at their defaults are left out so that the defaults are exercised.
        if (settings.direction != "forward") list.emplace_back("direction", text(settings.direction));
        if (settings.outputSequence) list.emplace_back("output_sequence", scalarBool(true));
        if (settings.clip) list.emplace_back("clip", scalarFloat(*settings.clip));
        if (settings.recurrentActivation != "sigmoid") list.emplace_back("recurrent_activation", text(settings.recurrentActivation));
        if (settings.cellActivation != "tanh") list.emplace_back("cell_activation", text(settings.cellActivation));
        if (settings.activation != "tanh") list.emplace_back("activation", text(settings.activation));
        return list;
    }
};

struct LstmExpected {
    std::vector<double> output, h, c;
    int clippedCells = 0;
};

// A plain loop over steps, batch rows and units, with the gate blocks taken in `order`.
LstmExpected referenceLstm(const LstmFixture& f, GateOrder order) {
    const auto& s = f.settings;
    const auto hidden = s.hidden, inputSize = s.inputSize, batch = s.batch;
    const auto width = f.directions() * hidden, steps = s.steps;
    LstmExpected result;
    std::vector<double> sequence(static_cast<std::size_t>(steps * batch * width));
    result.h.assign(static_cast<std::size_t>(batch * width), 0);
    result.c = result.h;
    for (std::int64_t d = 0; d < f.directions(); ++d) {
        const auto& w = f.weights[static_cast<std::size_t>(d)];
        const bool backward = d == 1 || s.direction == "reverse";
        std::vector<double> h(static_cast<std::size_t>(batch * hidden)), c(h.size());
        for (std::int64_t b = 0; b < batch; ++b) {
            for (std::int64_t j = 0; j < hidden; ++j) {
                h[b * hidden + j] = f.h0[b * width + d * hidden + j];
                c[b * hidden + j] = f.c0[b * width + d * hidden + j];
            }
        }
        for (std::int64_t step = 0; step < steps; ++step) {
            const auto t = backward ? steps - 1 - step : step;
            auto newH = h, newC = c;
            for (std::int64_t b = 0; b < batch; ++b) {
                for (std::int64_t j = 0; j < hidden; ++j) {
                    const auto pre = [&](int block) {
                        const auto row = block * hidden + j;
                        double sum = w.bias.empty() ? 0.0 : w.bias[row];
                        for (std::int64_t k = 0; k < inputSize; ++k) sum += w.ih[row * inputSize + k] * f.x[(t * batch + b) * inputSize + k];
                        for (std::int64_t k = 0; k < hidden; ++k) sum += w.hh[row * hidden + k] * h[b * hidden + k];
                        return sum;
                    };
                    const auto peep = [&](int gate) { return w.peephole.empty() ? 0.0 : w.peephole[gate * hidden + j]; };
                    const auto cPrev = c[b * hidden + j];
                    const auto i = activate(s.recurrentActivation, pre(order.input) + peep(0) * cPrev);
                    const auto fg = activate(s.recurrentActivation, pre(order.forget) + peep(1) * cPrev);
                    const auto z = activate(s.cellActivation, pre(order.candidate));
                    auto cell = fg * cPrev + i * z;
                    if (s.clip && std::abs(cell) > *s.clip) {
                        cell = std::clamp<double>(cell, -*s.clip, *s.clip);
                        ++result.clippedCells;
                    }
                    const auto o = activate(s.recurrentActivation, pre(order.output) + peep(2) * cell);
                    newC[b * hidden + j] = cell;
                    newH[b * hidden + j] = o * activate(s.activation, cell);
                }
            }
            h = newH;
            c = newC;
            for (std::int64_t b = 0; b < batch; ++b) {
                for (std::int64_t j = 0; j < hidden; ++j) sequence[(t * batch + b) * width + d * hidden + j] = h[b * hidden + j];
            }
        }
        for (std::int64_t b = 0; b < batch; ++b) {
            for (std::int64_t j = 0; j < hidden; ++j) {
                result.h[b * width + d * hidden + j] = h[b * hidden + j];
                result.c[b * width + d * hidden + j] = c[b * hidden + j];
            }
        }
    }
    // Without the sequence, each direction's output after it has read the whole
    // sequence: its final h.
    result.output = s.outputSequence ? sequence : result.h;
    return result;
}

const std::vector<LstmCase>& lstmCases() {
    static const std::vector<LstmCase> cases{
        {.name = "one step forward", .steps = 1},
        {.name = "one step forward, sequence", .steps = 1, .outputSequence = true},
        {.name = "one step reverse", .steps = 1, .direction = "reverse"},
        {.name = "one step bidirectional", .steps = 1, .direction = "bidirectional"},
        {.name = "three steps forward, last", .steps = 3},
        {.name = "three steps forward, sequence", .steps = 3, .outputSequence = true},
        {.name = "three steps reverse, last", .steps = 3, .direction = "reverse"},
        {.name = "three steps reverse, sequence", .steps = 3, .direction = "reverse", .outputSequence = true},
        {.name = "three steps bidirectional, last", .steps = 3, .direction = "bidirectional"},
        {.name = "three steps bidirectional, sequence", .steps = 3, .direction = "bidirectional", .outputSequence = true},
        {.name = "peephole forward, sequence", .steps = 3, .outputSequence = true, .peephole = true},
        {.name = "peephole bidirectional, sequence", .steps = 3, .direction = "bidirectional", .outputSequence = true, .peephole = true},
        {.name = "clip forward", .steps = 3, .outputSequence = true, .clip = 0.4F, .weightScale = 2.0F},
        {.name = "clip and peephole reverse", .steps = 3, .direction = "reverse", .outputSequence = true, .peephole = true, .clip = 0.4F, .weightScale = 2.0F},
        {.name = "no bias", .steps = 3, .outputSequence = true, .bias = false},
        {.name = "hard sigmoid, scaled tanh, relu", .steps = 3, .outputSequence = true, .recurrentActivation = "hard_sigmoid", .cellActivation = "scaled_tanh", .activation = "relu", .weightScale = 2.0F},
        {.name = "linear cell and output", .steps = 3, .outputSequence = true, .cellActivation = "linear", .activation = "linear"},
        {.name = "tanh gates, sigmoid output", .steps = 3, .direction = "bidirectional", .recurrentActivation = "tanh", .activation = "sigmoid"},
        // Products large enough to be split across threads: by columns for one
        // batch row, by rows for many.
        {.name = "wide layer, one batch row", .steps = 20, .direction = "bidirectional", .outputSequence = true, .peephole = true, .weightScale = 0.1F, .hidden = 256, .inputSize = 64, .batch = 1},
        {.name = "wide layer, many batch rows", .steps = 2, .outputSequence = true, .weightScale = 0.1F, .hidden = 256, .inputSize = 8, .batch = 20},
    };
    return cases;
}

TEST(SequenceLstm, MatchesAPlainLoop) {
    for (const auto& c : lstmCases()) {
        SCOPED_TRACE(c.name);
        const LstmFixture fixture(c);
        const auto expected = referenceLstm(fixture, ifoz);
        if (c.clip) {
            EXPECT_GT(expected.clippedCells, 0) << "the case never reaches the clip";
        }
        const auto results = runKernel("lstm", fixture.args());
        ASSERT_EQ(results.size(), 3U);
        const auto width = fixture.directions() * c.hidden;
        expectValues(results[0], {c.outputSequence ? c.steps : 1, c.batch, width}, expected.output);
        expectValues(results[1], {c.batch, width}, expected.h);
        expectValues(results[2], {c.batch, width}, expected.c);
    }
}

// The comparison above would notice gates read in any other order.
TEST(SequenceLstm, GateOrderIsInputForgetOutputCandidate) {
    struct Swap {
        std::string name;
        GateOrder order;
    };
    const std::vector<Swap> swaps{
        {"i f z o", {0, 1, 3, 2}}, {"f i o z", {1, 0, 2, 3}}, {"i o f z", {0, 2, 1, 3}}, {"z f o i", {3, 1, 2, 0}}};
    const LstmFixture fixture({.name = "order", .steps = 3, .direction = "bidirectional", .outputSequence = true, .peephole = true});
    const auto results = runKernel("lstm", fixture.args());
    for (const auto& swap : swaps) {
        SCOPED_TRACE(swap.name);
        EXPECT_GT(largestDifference(results[0], referenceLstm(fixture, swap.order).output), 1e-2);
    }
}

// One unit, one step, worked by hand: x = 1, h = 0, c = 0.5, input weights
// i 0.5, f −0.5, o 1, z 2, no recurrent weights:
// c' = σ(−0.5)·0.5 + σ(0.5)·tanh(2) = 0.7888383, h' = σ(1)·tanh(c') = 0.4808541.
TEST(SequenceLstm, OneUnitByHand) {
    const auto results = runKernel("lstm", {{"x", floats({1, 1, 1}, {1})},
                                            {"initial_h", floats({1, 1}, {0})},
                                            {"initial_c", floats({1, 1}, {0.5F})},
                                            {"weight_ih", floats({4, 1}, {0.5F, -0.5F, 1.0F, 2.0F})},
                                            {"weight_hh", floats({4, 1}, {0, 0, 0, 0})}});
    expectValues(results[0], {1, 1, 1}, {0.4808541});
    expectValues(results[1], {1, 1}, {0.4808541});
    expectValues(results[2], {1, 1}, {0.7888383});
}

TEST(SequenceLstm, EmptySequenceKeepsTheInitialStates) {
    const LstmFixture fixture({.name = "empty", .steps = 0, .direction = "bidirectional"});
    const auto results = runKernel("lstm", fixture.args());
    expectValues(results[0], {1, 2, 6}, {fixture.h0.begin(), fixture.h0.end()});
    expectValues(results[2], {2, 6}, {fixture.c0.begin(), fixture.c0.end()});
    const auto sequence = runKernel("lstm", replaced(fixture.args(), {"output_sequence", scalarBool(true)}));
    EXPECT_EQ(sequence[0].shape(), (Shape{0, 2, 6}));
}

TEST(SequenceLstm, ActivationNamesIgnoreLetterCase) {
    const LstmFixture fixture({.name = "case", .recurrentActivation = "hard_sigmoid"});
    const auto expected = referenceLstm(fixture, ifoz);
    const auto results = runKernel("lstm", replaced(fixture.args(), {"recurrent_activation", text("HARD_SIGMOID")}));
    expectValues(results[1], {2, 3}, expected.h);
}

TEST(SequenceLstm, RejectsBadArguments) {
    const LstmFixture forward({.name = "forward"});
    const LstmFixture both({.name = "both", .direction = "bidirectional"});
    struct Case {
        std::string name;
        std::vector<Arg> args;
        std::string fragment;
    };
    const std::vector<Case> cases{
        {"x of rank 2", replaced(forward.args(), {"x", floats({3, 4}, std::vector<float>(12))}), "x must be [steps, batch, input]"},
        {"integer x", replaced(forward.args(), {"x", miltest::ints({3, 2, 2}, std::vector<std::int32_t>(12))}), "must be a float tensor"},
        {"weight_hh not 4H x H", replaced(forward.args(), {"weight_hh", floats({9, 3}, std::vector<float>(27))}), "weight_hh must be"},
        {"weight_ih of another input size", replaced(forward.args(), {"weight_ih", floats({12, 3}, std::vector<float>(36))}), "weight_ih must be [12, 2]"},
        {"bias too short", replaced(forward.args(), {"bias", floats({11}, std::vector<float>(11))}), "bias must be [12]"},
        {"peephole of 4H", replaced(forward.args(), {"peephole", floats({12}, std::vector<float>(12))}), "peephole must be [9]"},
        {"initial_h of another batch", replaced(forward.args(), {"initial_h", floats({3, 3}, std::vector<float>(9))}), "initial_h must be [2, 3]"},
        {"initial_c for two directions", replaced(forward.args(), {"initial_c", floats({2, 6}, std::vector<float>(12))}), "initial_c must be [2, 3]"},
        {"unknown direction", replaced(forward.args(), {"direction", text("sideways")}), "direction \"sideways\""},
        {"unknown activation", replaced(forward.args(), {"cell_activation", text("softsign")}), "cell_activation \"softsign\""},
        {"negative clip", replaced(forward.args(), {"clip", scalarFloat(-1)}), "clip must be"},
        {"bidirectional without backward weights", without(both.args(), "weight_hh_back"), "weight_ih_back and weight_hh_back"},
        {"backward weights of another size", replaced(both.args(), {"weight_hh_back", floats({12, 2}, std::vector<float>(24))}), "weight_hh_back must be [12, 3]"},
        {"missing initial_c", without(forward.args(), "initial_c"), "\"initial_c\" is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectFailure("lstm", c.args, c.fragment);
    }
}

} // namespace
