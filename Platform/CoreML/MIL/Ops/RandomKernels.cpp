// Random numbers: random_normal, random_uniform, random_bernoulli and
// random_categorical. A seed of zero or more gives the same numbers on every
// call (a Mersenne twister seeded with it); a negative seed (−1 by default)
// draws a fresh seed each call. Numbers are drawn one after another on the
// caller so that a seed fixes every element.

#include "Platform/CoreML/MIL/Ops/SequenceKernels.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <numeric>
#include <random>
#include <string>

namespace platform::coreml::mil {
namespace {

// Past this many elements a shape is taken for a mistake, not a request.
constexpr std::int64_t largestCount = std::numeric_limits<std::int32_t>::max();

std::mt19937 generator(const OpCall& call) {
    const auto seed = call.intParameter("seed", -1);
    if (seed >= 0) {
        return std::mt19937(static_cast<std::mt19937::result_type>(seed));
    }
    try {
        std::random_device device;
        return std::mt19937(device());
    } catch (const std::exception& error) {
        call.fail(std::string("no source of random seeds is available: ") + error.what());
    }
}

Tensor outputOfShape(const OpCall& call) {
    const auto& shapeTensor = call.input("shape");
    if (shapeTensor.rank() > 1) {
        call.fail("shape must be a list of sizes, not a tensor of shape " + describeShape(shapeTensor.shape()));
    }
    const auto shape = call.intsParameter("shape");
    std::int64_t count = 1;
    for (const auto size : shape) {
        if (size < 0) {
            call.fail("the shape " + describeShape(shape) + " has a negative size");
        }
        if (size > 0 && count > largestCount / size) {
            call.fail("the shape " + describeShape(shape) + " is too large");
        }
        count *= size;
    }
    return Tensor(DataType::fp32, shape);
}

double finiteParameter(const OpCall& call, std::string_view name, double fallback) {
    const auto value = call.floatParameter(name, fallback);
    if (!std::isfinite(value)) {
        call.fail(std::string(name) + " must be a finite number");
    }
    return value;
}

template <typename Draw>
std::vector<Tensor> filled(const OpCall& call, Draw draw) {
    auto output = outputOfShape(call);
    auto engine = generator(call);
    for (auto& value : output.mutableFloatValues()) {
        value = draw(engine);
    }
    return {output};
}

// Unnormalised weights of one row of categories, checked.
std::vector<double> categoryWeights(const OpCall& call, std::span<const float> row, bool logits) {
    std::vector<double> weights(row.begin(), row.end());
    if (std::ranges::any_of(weights, [](double w) { return std::isnan(w); })) {
        call.fail("x holds NaN");
    }
    if (logits) {
        const auto largest = *std::ranges::max_element(weights);
        if (largest == std::numeric_limits<double>::infinity() || largest == -std::numeric_limits<double>::infinity()) {
            call.fail("a row of logits must have a finite largest value");
        }
        for (auto& w : weights) {
            w = std::exp(w - largest);
        }
        return weights;
    }
    if (std::ranges::any_of(weights, [](double w) { return w < 0 || std::isinf(w); })) {
        call.fail("probabilities must be finite and not negative");
    }
    return weights;
}

// Index of the category whose cumulative weight first exceeds `point`.
std::int64_t categoryAt(const std::vector<double>& cumulative, double point) {
    const auto found = std::ranges::upper_bound(cumulative, point);
    if (found != cumulative.end()) {
        return found - cumulative.begin();
    }
    // Rounding put the point at the very top: the last category with weight.
    auto last = static_cast<std::int64_t>(cumulative.size()) - 1;
    while (last > 0 && cumulative[static_cast<std::size_t>(last)] == cumulative[static_cast<std::size_t>(last - 1)]) {
        --last;
    }
    return last;
}

} // namespace

std::vector<Tensor> randomNormalKernel(const OpCall& call) {
    const auto mean = static_cast<float>(finiteParameter(call, "mean", 0.0));
    const auto deviation = finiteParameter(call, "stddev", 1.0);
    if (deviation < 0) {
        call.fail("stddev must not be negative");
    }
    std::normal_distribution<float> standard(0.0F, 1.0F);
    return filled(call, [&](std::mt19937& engine) { return mean + static_cast<float>(deviation) * standard(engine); });
}

std::vector<Tensor> randomUniformKernel(const OpCall& call) {
    const auto low = finiteParameter(call, "low", 0.0), high = finiteParameter(call, "high", 1.0);
    if (low > high) {
        call.fail("low " + std::to_string(low) + " is above high " + std::to_string(high));
    }
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto highest = static_cast<float>(high);
    return filled(call, [&](std::mt19937& engine) {
        const auto value = static_cast<float>(low + (high - low) * unit(engine));
        // Keeps the interval half-open when rounding to float reaches `high`.
        return value >= highest && low < high ? std::nextafter(highest, static_cast<float>(low)) : value;
    });
}

std::vector<Tensor> randomBernoulliKernel(const OpCall& call) {
    const auto probability = finiteParameter(call, "prob", 0.5);
    if (probability < 0 || probability > 1) {
        call.fail("prob must lie in [0, 1], not " + std::to_string(probability));
    }
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    return filled(call, [&](std::mt19937& engine) { return unit(engine) < probability ? 1.0F : 0.0F; });
}

std::vector<Tensor> randomCategoricalKernel(const OpCall& call) {
    const auto& x = call.input("x");
    if (x.kind() != StorageKind::float32 || x.rank() < 1 || x.dim(-1) < 1) {
        call.fail("x must be a float tensor of categories along its last dimension, not " +
                  std::string(dataTypeName(x.dataType())) + describeShape(x.shape()));
    }
    const auto mode = call.textParameter("mode", std::string("logits"));
    if (mode != "logits" && mode != "probs") {
        call.fail("the mode \"" + mode + "\" is not one of logits, probs");
    }
    const auto size = call.intParameter("size", 1);
    if (size < 0) {
        call.fail("size must not be negative");
    }
    const auto categories = x.dim(-1), rows = x.count() / categories;
    if (size > 0 && rows > largestCount / size) {
        call.fail("the output would be too large");
    }
    auto shape = x.shape();
    shape.back() = size;
    const auto declared = call.resultDataType(0, DataType::int32);
    Tensor output(isFloat(declared) ? DataType::fp32 : isInteger(declared) ? declared : DataType::int32, shape);
    auto engine = generator(call);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::int64_t row = 0; row < rows; ++row) {
        auto cumulative = categoryWeights(
            call, x.floatValues().subspan(static_cast<std::size_t>(row * categories), static_cast<std::size_t>(categories)),
            mode == "logits");
        std::partial_sum(cumulative.begin(), cumulative.end(), cumulative.begin());
        if (!(cumulative.back() > 0) || std::isinf(cumulative.back())) {
            call.fail("a row of probabilities must have a finite, positive total");
        }
        for (std::int64_t draw = 0; draw < size; ++draw) {
            const auto index = categoryAt(cumulative, unit(engine) * cumulative.back());
            const auto at = static_cast<std::size_t>(row * size + draw);
            if (output.kind() == StorageKind::float32) {
                output.mutableFloatValues()[at] = static_cast<float>(index);
            } else {
                output.mutableIntValues()[at] = static_cast<std::int32_t>(index);
            }
        }
    }
    return {output};
}

} // namespace platform::coreml::mil
