#include "tests/Platform/CoreML/MIL/SequenceTestSupport.hpp"

#include <cmath>
#include <limits>
#include <numeric>

namespace {

using namespace sequencetest;
using miltest::floats;
using miltest::ints;
using miltest::runKernel;
using miltest::scalarFloat;
using miltest::scalarInt;
using miltest::text;
using platform::coreml::mil::DataType;

constexpr std::int64_t sampleCount = 20000;

Tensor shapeOf(std::vector<std::int32_t> sizes) {
    const auto rank = static_cast<std::int64_t>(sizes.size());
    return ints({rank}, std::move(sizes));
}

std::vector<float> valuesOf(const Tensor& tensor) {
    const auto values = tensor.floatValues();
    return {values.begin(), values.end()};
}

struct Moments {
    double mean = 0, deviation = 0, low = 0, high = 0;
};

Moments momentsOf(const std::vector<float>& values) {
    Moments m{0, 0, std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()};
    for (const auto v : values) {
        m.mean += v;
        m.low = std::min<double>(m.low, v);
        m.high = std::max<double>(m.high, v);
    }
    m.mean /= static_cast<double>(values.size());
    for (const auto v : values) m.deviation += (v - m.mean) * (v - m.mean);
    m.deviation = std::sqrt(m.deviation / static_cast<double>(values.size()));
    return m;
}

// One call of each random operation that draws `sizes` elements, with `seed` when given.
struct RandomCase {
    std::string name, opType;
    std::vector<Arg> args;
};

std::vector<RandomCase> randomCases(const std::vector<std::int32_t>& sizes) {
    const auto shape = shapeOf(sizes);
    std::vector<float> logits(static_cast<std::size_t>(std::accumulate(sizes.begin(), sizes.end(), 1, std::multiplies<>())) * 4, 0.0F);
    Shape logitShape(sizes.begin(), sizes.end());
    logitShape.push_back(4);
    return {{"normal", "random_normal", {{"shape", shape}}},
            {"uniform", "random_uniform", {{"shape", shape}}},
            {"bernoulli", "random_bernoulli", {{"shape", shape}}},
            {"categorical", "random_categorical", {{"x", floats(logitShape, logits)}, {"size", scalarInt(1)}}}};
}

TEST(SequenceRandom, ResultsHaveTheRequestedShape) {
    for (const auto& sizes : std::vector<std::vector<std::int32_t>>{{5}, {2, 3}, {1, 2, 0}, {}}) {
        for (const auto& c : randomCases(sizes)) {
            SCOPED_TRACE(c.name + " of " + std::to_string(sizes.size()) + " dimensions");
            const auto results = runKernel(c.opType, c.args);
            ASSERT_EQ(results.size(), 1U);
            Shape expected(sizes.begin(), sizes.end());
            if (c.opType == "random_categorical") expected.push_back(1);
            EXPECT_EQ(results[0].shape(), expected);
        }
    }
}

TEST(SequenceRandom, ASeedRepeatsTheNumbersAndNoSeedDoesNot) {
    for (const auto& c : randomCases({64})) {
        SCOPED_TRACE(c.name);
        const auto seeded = [&](std::int64_t seed) {
            const auto result = runKernel(c.opType, replaced(c.args, {"seed", scalarInt(seed)}))[0];
            return valuesOf(result.kind() == platform::coreml::mil::StorageKind::float32 ? result : result.convertedTo(DataType::fp32));
        };
        EXPECT_EQ(seeded(7), seeded(7));
        EXPECT_NE(seeded(7), seeded(8));
        EXPECT_NE(seeded(-1), seeded(-1));
    }
    // With the default seed too: no two calls repeat.
    const auto shape = shapeOf({64});
    EXPECT_NE(valuesOf(runKernel("random_normal", {{"shape", shape}})[0]),
              valuesOf(runKernel("random_normal", {{"shape", shape}})[0]));
}

TEST(SequenceRandom, NormalHasTheRequestedMoments) {
    const auto values = valuesOf(runKernel("random_normal", {{"shape", shapeOf({sampleCount})},
                                                             {"mean", scalarFloat(2)},
                                                             {"stddev", scalarFloat(3)},
                                                             {"seed", scalarInt(11)}})[0]);
    const auto m = momentsOf(values);
    EXPECT_NEAR(m.mean, 2.0, 0.1);
    EXPECT_NEAR(m.deviation, 3.0, 0.1);
    const auto standard = momentsOf(valuesOf(runKernel("random_normal", {{"shape", shapeOf({sampleCount})}})[0]));
    EXPECT_NEAR(standard.mean, 0.0, 0.05);
    EXPECT_NEAR(standard.deviation, 1.0, 0.05);
    const auto constant = momentsOf(valuesOf(runKernel("random_normal", {{"shape", shapeOf({10})},
                                                                         {"mean", scalarFloat(4)},
                                                                         {"stddev", scalarFloat(0)}})[0]));
    EXPECT_EQ(constant.low, 4.0);
    EXPECT_EQ(constant.high, 4.0);
}

TEST(SequenceRandom, UniformCoversTheHalfOpenInterval) {
    const auto m = momentsOf(valuesOf(runKernel("random_uniform", {{"shape", shapeOf({sampleCount})},
                                                                   {"low", scalarFloat(-1)},
                                                                   {"high", scalarFloat(3)},
                                                                   {"seed", scalarInt(12)}})[0]));
    EXPECT_GE(m.low, -1.0);
    EXPECT_LT(m.high, 3.0);
    EXPECT_LT(m.low, -0.95);
    EXPECT_GT(m.high, 2.95);
    EXPECT_NEAR(m.mean, 1.0, 0.05);
    EXPECT_NEAR(m.deviation, 4.0 / std::sqrt(12.0), 0.05);
    const auto standard = momentsOf(valuesOf(runKernel("random_uniform", {{"shape", shapeOf({sampleCount})}})[0]));
    EXPECT_GE(standard.low, 0.0);
    EXPECT_LT(standard.high, 1.0);
    EXPECT_NEAR(standard.mean, 0.5, 0.02);
}

TEST(SequenceRandom, BernoulliDrawsOnesWithTheProbability) {
    struct Case {
        std::string name;
        std::optional<double> probability;
        double expected;
    };
    for (const auto& c : std::vector<Case>{{"default", std::nullopt, 0.5}, {"0.3", 0.3, 0.3}, {"never", 0.0, 0.0}, {"always", 1.0, 1.0}}) {
        SCOPED_TRACE(c.name);
        std::vector<Arg> args{{"shape", shapeOf({sampleCount})}, {"seed", scalarInt(13)}};
        if (c.probability) args.emplace_back("prob", scalarFloat(*c.probability));
        const auto values = valuesOf(runKernel("random_bernoulli", args)[0]);
        EXPECT_TRUE(std::ranges::all_of(values, [](float v) { return v == 0.0F || v == 1.0F; }));
        EXPECT_NEAR(momentsOf(values).mean, c.expected, 0.02);
    }
}

std::vector<double> frequencies(const Tensor& indices, std::int64_t categories) {
    std::vector<double> counts(static_cast<std::size_t>(categories), 0);
    for (const auto index : indices.intValues()) {
        EXPECT_GE(index, 0);
        EXPECT_LT(index, categories);
        if (index >= 0 && index < categories) counts[static_cast<std::size_t>(index)] += 1;
    }
    for (auto& count : counts) count /= static_cast<double>(indices.count());
    return counts;
}

TEST(SequenceRandom, CategoricalFollowsLogitsOrProbabilities) {
    struct Case {
        std::string name;
        std::optional<std::string> mode;
        std::vector<float> x;
        std::vector<double> expected;
    };
    const std::vector<Case> cases{
        {"logits by default", std::nullopt, {std::log(0.1F), std::log(0.2F), std::log(0.7F)}, {0.1, 0.2, 0.7}},
        {"shifted logits", "logits", {std::log(0.5F) + 40, 40, std::log(0.5F) + 40}, {0.25, 0.5, 0.25}},
        {"probabilities, one never chosen", "probs", {0, 1, 3}, {0, 0.25, 0.75}},
        {"unnormalised probabilities", "probs", {2, 2, 4}, {0.25, 0.25, 0.5}},
        {"impossible logit", "logits", {-std::numeric_limits<float>::infinity(), 0, 0}, {0, 0.5, 0.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Arg> args{{"x", floats({1, 3}, c.x)}, {"size", scalarInt(sampleCount)}, {"seed", scalarInt(14)}};
        if (c.mode) args.emplace_back("mode", text(*c.mode));
        const auto result = runKernel("random_categorical", args)[0];
        ASSERT_EQ(result.shape(), (Shape{1, sampleCount}));
        const auto seen = frequencies(result, 3);
        for (std::size_t i = 0; i < 3; ++i) {
            if (c.expected[i] == 0) {
                EXPECT_EQ(seen[i], 0.0) << "category " << i;
            } else {
                EXPECT_NEAR(seen[i], c.expected[i], 0.02) << "category " << i;
            }
        }
    }
}

TEST(SequenceRandom, CategoricalDrawsEachRowFromItsOwnDistribution) {
    const auto result = runKernel("random_categorical", {{"x", floats({2, 2, 3}, {1, 0, 0, 0, 0, 5, 0, 2, 0, 3, 0, 0})},
                                                         {"mode", text("probs")},
                                                         {"size", scalarInt(4)}})[0];
    ASSERT_EQ(result.shape(), (Shape{2, 2, 4}));
    const auto values = result.intValues();
    EXPECT_EQ(std::vector<std::int32_t>(values.begin(), values.end()),
              (std::vector<std::int32_t>{0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0}));
    const auto asFloats = runKernel("random_categorical", {{"x", floats({1, 3}, {0, 0, 1})}, {"mode", text("probs")}},
                                    {miltest::tensorType(DataType::fp16, {1, 1})})[0];
    EXPECT_EQ(valuesOf(asFloats), std::vector<float>{2});
}

TEST(SequenceRandom, RejectsBadArguments) {
    const auto shape = shapeOf({4});
    struct Case {
        std::string name, opType;
        std::vector<Arg> args;
        std::string fragment;
    };
    const std::vector<Case> cases{
        {"negative size", "random_normal", {{"shape", shapeOf({2, -1})}}, "has a negative size"},
        {"shape as a matrix", "random_uniform", {{"shape", ints({1, 2}, {2, 2})}}, "shape must be a list of sizes"},
        {"too many elements", "random_normal", {{"shape", shapeOf({65536, 65536})}}, "is too large"},
        {"negative stddev", "random_normal", {{"shape", shape}, {"stddev", scalarFloat(-1)}}, "stddev must not be negative"},
        {"infinite mean", "random_normal", {{"shape", shape}, {"mean", scalarFloat(std::numeric_limits<double>::infinity())}}, "mean must be a finite number"},
        {"low above high", "random_uniform", {{"shape", shape}, {"low", scalarFloat(2)}, {"high", scalarFloat(1)}}, "is above high"},
        {"probability above one", "random_bernoulli", {{"shape", shape}, {"prob", scalarFloat(1.5)}}, "prob must lie in [0, 1]"},
        {"unknown mode", "random_categorical", {{"x", floats({3}, {1, 2, 3})}, {"mode", text("counts")}}, "mode \"counts\""},
        {"negative probability", "random_categorical", {{"x", floats({3}, {1, -2, 3})}, {"mode", text("probs")}}, "not negative"},
        {"no weight at all", "random_categorical", {{"x", floats({3}, {0, 0, 0})}, {"mode", text("probs")}}, "finite, positive total"},
        {"logits all impossible", "random_categorical", {{"x", floats({2}, {-std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})}}, "finite largest value"},
        {"NaN logit", "random_categorical", {{"x", floats({2}, {std::numeric_limits<float>::quiet_NaN(), 0})}}, "x holds NaN"},
        {"no categories", "random_categorical", {{"x", floats({2, 0}, {})}}, "categories along its last dimension"},
        {"negative draw count", "random_categorical", {{"x", floats({2}, {0, 0})}, {"size", scalarInt(-1)}}, "size must not be negative"},
        {"missing shape", "random_bernoulli", {{"prob", scalarFloat(0.5)}}, "\"shape\" is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectFailure(c.opType, c.args, c.fragment);
    }
}

} // namespace
