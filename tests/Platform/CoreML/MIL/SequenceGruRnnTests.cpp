#include "tests/Platform/CoreML/MIL/SequenceTestSupport.hpp"

#include <cmath>
#include <optional>

namespace {

using namespace sequencetest;
using miltest::floats;
using miltest::runKernel;
using miltest::scalarBool;
using miltest::text;

constexpr std::int64_t hidden = 3, inputSize = 2, batch = 2;

double activate(const std::string& name, double v) {
    if (name == "sigmoid") return 1 / (1 + std::exp(-v));
    if (name == "tanh") return std::tanh(v);
    if (name == "relu") return v > 0 ? v : 0;
    if (name == "hard_sigmoid") return std::clamp(0.2 * v + 0.5, 0.0, 1.0);
    ADD_FAILURE() << "unknown activation " << name;
    return 0;
}

// The common arguments of gru and rnn, with `gates` blocks of weight rows.
struct RecurrentFixture {
    std::int64_t steps, gates;
    std::vector<float> x, h0, ih, hh, bias, inputBias;

    RecurrentFixture(std::int64_t stepCount, std::int64_t gateCount, bool withBias, bool withInputBias)
        : steps(stepCount), gates(gateCount), x(smallValues(steps * batch * inputSize, 1, 1.0F)),
          h0(smallValues(batch * hidden, 2, 0.5F)), ih(smallValues(gates * hidden * inputSize, 3)),
          hh(smallValues(gates * hidden * hidden, 4)), bias(withBias ? smallValues(gates * hidden, 5) : std::vector<float>{}),
          inputBias(withInputBias ? smallValues(gates * hidden, 6) : std::vector<float>{}) {}

    std::vector<Arg> args() const {
        std::vector<Arg> list{{"x", floats({steps, batch, inputSize}, x)},
                              {"initial_h", floats({batch, hidden}, h0)},
                              {"weight_ih", floats({gates * hidden, inputSize}, ih)},
                              {"weight_hh", floats({gates * hidden, hidden}, hh)}};
        if (!bias.empty()) list.emplace_back("bias", floats({gates * hidden}, bias));
        if (!inputBias.empty()) list.emplace_back("input_bias", floats({gates * hidden}, inputBias));
        return list;
    }

    double inputPart(std::int64_t row, std::int64_t t, std::int64_t b) const {
        double sum = 0;
        for (std::int64_t k = 0; k < inputSize; ++k) sum += ih[row * inputSize + k] * x[(t * batch + b) * inputSize + k];
        return sum;
    }

    double recurrentPart(std::int64_t row, const std::vector<double>& state, std::int64_t b) const {
        double sum = 0;
        for (std::int64_t k = 0; k < hidden; ++k) sum += hh[row * hidden + k] * state[b * hidden + k];
        return sum;
    }

    double biasOf(const std::vector<float>& values, std::int64_t row) const { return values.empty() ? 0.0 : values[row]; }
};

struct RecurrentExpected {
    std::vector<double> output, h;
};

struct RecurrentCase {
    std::string name;
    std::int64_t steps = 3;
    bool reverse = false;
    bool outputSequence = false;
    bool bias = true;
    bool inputBias = false;
    std::optional<bool> resetAfter = std::nullopt;
    std::string recurrentActivation = "sigmoid";
    std::string activation = "tanh";
};

std::vector<Arg> withSettings(std::vector<Arg> args, const RecurrentCase& c, bool gru) {
    if (c.reverse) args.emplace_back("direction", text("reverse"));
    if (c.outputSequence) args.emplace_back("output_sequence", scalarBool(true));
    if (c.resetAfter) args.emplace_back("reset_after", scalarBool(*c.resetAfter));
    if (gru && c.recurrentActivation != "sigmoid") args.emplace_back("recurrent_activation", text(c.recurrentActivation));
    if (c.activation != "tanh") args.emplace_back("activation", text(c.activation));
    return args;
}

// Runs `update` (previous h → new h) over the steps in the case's direction.
template <typename Update>
RecurrentExpected unroll(const RecurrentFixture& f, const RecurrentCase& c, Update update) {
    std::vector<double> h(f.h0.begin(), f.h0.end()), sequence(static_cast<std::size_t>(f.steps * batch * hidden));
    for (std::int64_t step = 0; step < f.steps; ++step) {
        const auto t = c.reverse ? f.steps - 1 - step : step;
        h = update(h, t);
        std::ranges::copy(h, sequence.begin() + t * batch * hidden);
    }
    return {c.outputSequence ? sequence : h, h};
}

// Gate blocks r, o, z. Reset before: o = act(W_o·x + R_o·(r⊙h) + b_o + bi_o);
// reset after: o = act(W_o·x + bi_o + r⊙(R_o·h + b_o)).
RecurrentExpected referenceGru(const RecurrentFixture& f, const RecurrentCase& c) {
    const bool after = c.resetAfter.value_or(false);
    return unroll(f, c, [&](const std::vector<double>& h, std::int64_t t) {
        std::vector<double> r(h.size()), next(h.size());
        for (std::int64_t b = 0; b < batch; ++b) {
            for (std::int64_t j = 0; j < hidden; ++j) {
                const auto row = j;
                r[b * hidden + j] = activate(c.recurrentActivation, f.inputPart(row, t, b) + f.recurrentPart(row, h, b) +
                                                                          f.biasOf(f.bias, row) + f.biasOf(f.inputBias, row));
            }
        }
        std::vector<double> resetH(h.size());
        for (std::size_t i = 0; i < h.size(); ++i) resetH[i] = r[i] * h[i];
        for (std::int64_t b = 0; b < batch; ++b) {
            for (std::int64_t j = 0; j < hidden; ++j) {
                const auto oRow = hidden + j, zRow = 2 * hidden + j;
                const auto z = activate(c.recurrentActivation, f.inputPart(zRow, t, b) + f.recurrentPart(zRow, h, b) +
                                                                   f.biasOf(f.bias, zRow) + f.biasOf(f.inputBias, zRow));
                const auto inputSide = f.inputPart(oRow, t, b) + f.biasOf(f.inputBias, oRow);
                const auto o = after ? activate(c.activation, inputSide + r[b * hidden + j] * (f.recurrentPart(oRow, h, b) + f.biasOf(f.bias, oRow)))
                                     : activate(c.activation, inputSide + f.recurrentPart(oRow, resetH, b) + f.biasOf(f.bias, oRow));
                next[b * hidden + j] = (1 - z) * o + z * h[b * hidden + j];
            }
        }
        return next;
    });
}

RecurrentExpected referenceRnn(const RecurrentFixture& f, const RecurrentCase& c) {
    return unroll(f, c, [&](const std::vector<double>& h, std::int64_t t) {
        std::vector<double> next(h.size());
        for (std::int64_t b = 0; b < batch; ++b) {
            for (std::int64_t j = 0; j < hidden; ++j) {
                next[b * hidden + j] = activate(c.activation, f.inputPart(j, t, b) + f.recurrentPart(j, h, b) + f.biasOf(f.bias, j));
            }
        }
        return next;
    });
}

TEST(SequenceGru, MatchesAPlainLoop) {
    const std::vector<RecurrentCase> cases{
        {.name = "one step", .steps = 1},
        {.name = "forward, last"},
        {.name = "forward, sequence", .outputSequence = true},
        {.name = "reverse, last", .reverse = true},
        {.name = "reverse, sequence", .reverse = true, .outputSequence = true},
        {.name = "no bias", .outputSequence = true, .bias = false},
        {.name = "reset before, both biases", .outputSequence = true, .inputBias = true, .resetAfter = false},
        {.name = "reset after, both biases", .outputSequence = true, .inputBias = true, .resetAfter = true},
        {.name = "reset after, reverse, recurrent bias only", .reverse = true, .outputSequence = true, .resetAfter = true},
        {.name = "hard sigmoid gates, relu candidate", .outputSequence = true, .recurrentActivation = "hard_sigmoid", .activation = "relu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RecurrentFixture fixture(c.steps, 3, c.bias, c.inputBias);
        const auto expected = referenceGru(fixture, c);
        const auto results = runKernel("gru", withSettings(fixture.args(), c, true));
        ASSERT_EQ(results.size(), 2U);
        expectValues(results[0], {c.outputSequence ? c.steps : 1, batch, hidden}, expected.output);
        expectValues(results[1], {batch, hidden}, expected.h);
    }
}

// One unit worked by hand: x = 1, h = 0.5, input weights r 1, o 0.5, z −1,
// recurrent weights r 0.5, o 1, z 0.5, bias 0.2 on o only. r = σ(1.25), z = σ(−0.75);
// reset before: o = tanh(0.5 + 0.2 + r·0.5) gives h' = 0.7012983;
// reset after:  o = tanh(0.5 + r·(0.5 + 0.2)) gives h' = 0.6898344.
TEST(SequenceGru, OneUnitByHand) {
    const std::vector<Arg> args{{"x", floats({1, 1, 1}, {1})},
                                {"initial_h", floats({1, 1}, {0.5F})},
                                {"weight_ih", floats({3, 1}, {1.0F, 0.5F, -1.0F})},
                                {"weight_hh", floats({3, 1}, {0.5F, 1.0F, 0.5F})},
                                {"bias", floats({3}, {0.0F, 0.2F, 0.0F})}};
    expectValues(runKernel("gru", args)[1], {1, 1}, {0.7012983});
    expectValues(runKernel("gru", replaced(args, {"reset_after", scalarBool(true)}))[1], {1, 1}, {0.6898344});
}

TEST(SequenceRnn, MatchesAPlainLoop) {
    const std::vector<RecurrentCase> cases{
        {.name = "one step", .steps = 1},
        {.name = "forward, last"},
        {.name = "forward, sequence", .outputSequence = true},
        {.name = "reverse, last", .reverse = true},
        {.name = "reverse, sequence", .reverse = true, .outputSequence = true},
        {.name = "no bias", .outputSequence = true, .bias = false},
        {.name = "relu", .outputSequence = true, .activation = "relu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RecurrentFixture fixture(c.steps, 1, c.bias, false);
        const auto expected = referenceRnn(fixture, c);
        const auto results = runKernel("rnn", withSettings(fixture.args(), c, false));
        ASSERT_EQ(results.size(), 2U);
        expectValues(results[0], {c.outputSequence ? c.steps : 1, batch, hidden}, expected.output);
        expectValues(results[1], {batch, hidden}, expected.h);
    }
}

// h' = tanh(0.5·2 − 1·0.5 + 0.1) = tanh(0.6).
TEST(SequenceRnn, OneUnitByHand) {
    const auto results = runKernel("rnn", {{"x", floats({1, 1, 1}, {2})},
                                           {"initial_h", floats({1, 1}, {0.5F})},
                                           {"weight_ih", floats({1, 1}, {0.5F})},
                                           {"weight_hh", floats({1, 1}, {-1.0F})},
                                           {"bias", floats({1}, {0.1F})}});
    expectValues(results[1], {1, 1}, {0.5370496});
}

TEST(SequenceGruRnn, RejectBadArguments) {
    const RecurrentFixture gru(3, 3, true, false), rnn(3, 1, true, false);
    struct Case {
        std::string name, opType;
        std::vector<Arg> args;
        std::string fragment;
    };
    const std::vector<Case> cases{
        {"gru has no backward weights", "gru", replaced(gru.args(), {"direction", text("bidirectional")}), "is not one of forward, reverse"},
        {"gru weight_hh not 3H x H", "gru", replaced(gru.args(), {"weight_hh", floats({12, 3}, std::vector<float>(36))}), "weight_hh must be [3·hidden, hidden]"},
        {"gru input_bias of H", "gru", replaced(gru.args(), {"input_bias", floats({3}, std::vector<float>(3))}), "input_bias must be [9]"},
        {"gru initial_h of two directions", "gru", replaced(gru.args(), {"initial_h", floats({2, 6}, std::vector<float>(12))}), "initial_h must be [2, 3]"},
        {"gru unknown activation", "gru", replaced(gru.args(), {"recurrent_activation", text("swish")}), "recurrent_activation \"swish\""},
        {"rnn weight_ih of another input size", "rnn", replaced(rnn.args(), {"weight_ih", floats({3, 4}, std::vector<float>(12))}), "weight_ih must be [3, 2]"},
        {"rnn bias too long", "rnn", replaced(rnn.args(), {"bias", floats({4}, std::vector<float>(4))}), "bias must be [3]"},
        {"rnn bidirectional", "rnn", replaced(rnn.args(), {"direction", text("bidirectional")}), "is not one of forward, reverse"},
        {"rnn missing initial_h", "rnn", without(rnn.args(), "initial_h"), "\"initial_h\" is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectFailure(c.opType, c.args, c.fragment);
    }
}

} // namespace
