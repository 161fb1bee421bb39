#include "Hushframe/Core/TokenSampler.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>

namespace hushframe {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

namespace {

std::vector<float> flatScores(const MLMultiArray& logits) {
    std::vector<float> scores(static_cast<std::size_t>(logits.count()));
    if (logits.dataType() == MLMultiArrayDataType::float32 && logits.isContiguous()) {
        const float* data = logits.dataPointer<float>();
        std::copy(data, data + scores.size(), scores.begin());
    } else {
        for (std::int64_t i = 0; i < logits.count(); ++i) scores[static_cast<std::size_t>(i)] = logits[i].floatValue();
    }
    return scores;
}

// Natural-log softmax of every entry, computed against the maximum so that
// large scores do not overflow; minus infinity stays minus infinity.
std::vector<double> logSoftmax(const std::vector<float>& scores) {
    const float top = *std::max_element(scores.begin(), scores.end());
    std::vector<double> result(scores.size(), -std::numeric_limits<double>::infinity());
    if (!std::isfinite(top)) {
        // Every entry suppressed (or a +inf score): no finite distribution.
        for (std::size_t i = 0; i < scores.size(); ++i) result[i] = scores[i] == top ? 0.0 : result[i];
        return result;
    }
    double sum = 0;
    for (const float score : scores) sum += std::exp(static_cast<double>(score) - top);
    const double logSum = std::log(sum);
    for (std::size_t i = 0; i < scores.size(); ++i) result[i] = static_cast<double>(scores[i]) - top - logSum;
    return result;
}

// Uniform in [0, width): 24 random bits scaled by 2^-24 and the width, drawn
// again when rounding lands on the upper bound.
float uniformBelow(float width) {
    thread_local std::mt19937 generator{std::random_device{}()};
    for (;;) {
        const auto bits = static_cast<float>(generator() >> 8);
        const float value = bits * (1.0F / 16777216.0F) * width;
        if (value < width || width <= 0) return value;
    }
}

} // namespace

SamplingResult GreedyTokenSampler::update(const std::vector<int>& tokens, const MLMultiArray& logits,
                                          const std::vector<float>& logProbs) {
    std::vector<float> scores = flatScores(logits);
    if (scores.empty()) throw std::invalid_argument("GreedyTokenSampler needs at least one logit");
    if (temperature != 0) {
        for (float& score : scores) score /= temperature;
    }
    const std::vector<double> logProbabilities = logSoftmax(scores);

    std::size_t token = 0;
    if (temperature == 0) {
        // Scaling is skipped at temperature 0, so the arg-max of the scores is that of the raw logits.
        token = static_cast<std::size_t>(std::distance(scores.begin(), std::max_element(scores.begin(), scores.end())));
    } else {
        const std::size_t k =
            std::clamp<std::size_t>(static_cast<std::size_t>(std::max(decodingOptions.topK, 1)), 1, scores.size());
        std::vector<std::size_t> order(scores.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(k), order.end(),
                          [&](std::size_t a, std::size_t b) { return logProbabilities[a] > logProbabilities[b]; });
        std::vector<float> values(k);
        for (std::size_t i = 0; i < k; ++i) values[i] = static_cast<float>(std::exp(logProbabilities[order[i]]));
        const float total = std::accumulate(values.begin(), values.end(), 0.0F);
        const float draw = uniformBelow(total);
        std::size_t chosen = 0;
        float running = 0;
        for (std::size_t i = 0; i < k; ++i) {
            running += values[i];
            if (draw < running) {
                chosen = i;
                break;
            }
        }
        token = order[chosen];
    }

    SamplingResult result{tokens, logProbs, false};
    result.tokens.push_back(static_cast<int>(token));
    result.logProbs.push_back(static_cast<float>(logProbabilities[token]));
    result.completed = static_cast<int>(token) == eotToken;
    return result;
}

SamplingResult GreedyTokenSampler::finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) {
    SamplingResult result{tokens, logProbs, true};
    if (tokens.empty() || tokens.back() != eotToken) {
        result.tokens.push_back(eotToken);
        result.logProbs.push_back(0.0F);
    }
    return result;
}

} // namespace hushframe
