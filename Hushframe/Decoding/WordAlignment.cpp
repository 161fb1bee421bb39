#include "Hushframe/Decoding/WordAlignment.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace hushframe {

std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>> WordAlignment::dynamicTimeWarping(
    const AlignmentMatrix& matrix) {
    const std::int64_t n = matrix.rows;
    const std::int64_t m = matrix.columns;
    if (n <= 0 || m <= 0) return {};
    const auto width = static_cast<std::size_t>(m + 1);
    const auto cell = [width](std::int64_t i, std::int64_t j) { return static_cast<std::size_t>(i) * width + static_cast<std::size_t>(j); };
    std::vector<double> cost(static_cast<std::size_t>(n + 1) * width, std::numeric_limits<double>::infinity());
    std::vector<int> trace(cost.size(), -1);
    cost[0] = 0;
    for (std::int64_t j = 1; j <= m; ++j) trace[cell(0, j)] = 2;
    for (std::int64_t i = 1; i <= n; ++i) trace[cell(i, 0)] = 1;
    for (std::int64_t i = 1; i <= n; ++i) {
        for (std::int64_t j = 1; j <= m; ++j) {
            const double x = matrix.at(i - 1, j - 1);
            const double c0 = cost[cell(i - 1, j - 1)] - x;
            const double c1 = cost[cell(i - 1, j)] - x;
            const double c2 = cost[cell(i, j - 1)] - x;
            if (c0 < c1 && c0 < c2) {
                cost[cell(i, j)] = c0;
                trace[cell(i, j)] = 0;
            } else if (c1 < c0 && c1 < c2) {
                cost[cell(i, j)] = c1;
                trace[cell(i, j)] = 1;
            } else {
                cost[cell(i, j)] = c2;
                trace[cell(i, j)] = 2;
            }
        }
    }
    std::vector<std::int64_t> textIndices;
    std::vector<std::int64_t> timeIndices;
    std::int64_t i = n;
    std::int64_t j = m;
    while (i > 0 || j > 0) {
        textIndices.push_back(i - 1);
        timeIndices.push_back(j - 1);
        switch (trace[cell(i, j)]) {
        case 0: --i; --j; break;
        case 1: --i; break;
        default: --j; break;
        }
    }
    std::reverse(textIndices.begin(), textIndices.end());
    std::reverse(timeIndices.begin(), timeIndices.end());
    return {std::move(textIndices), std::move(timeIndices)};
}

std::vector<WordTiming> WordAlignment::findAlignment(const std::vector<int>& wordTokenIds,
                                                     const AlignmentMatrix& weights,
                                                     const std::vector<float>& tokenLogProbs,
                                                     const WhisperTokenizer& tokenizer) {
    const auto [textIndices, timeIndices] = dynamicTimeWarping(weights);
    const WordTokens split = tokenizer.splitToWordTokens(wordTokenIds);
    if (split.words.size() < 2 || textIndices.empty()) return {};

    std::vector<float> startTimes{0.0F};
    std::vector<float> endTimes;
    for (std::size_t k = 1; k < textIndices.size(); ++k) {
        if (textIndices[k] == textIndices[k - 1]) continue;
        const float time = static_cast<float>(timeIndices[k]) * 0.02F;
        startTimes.push_back(time);
        endTimes.push_back(time);
    }
    endTimes.push_back(static_cast<float>(timeIndices.back()) * 0.02F);

    std::vector<WordTiming> timings;
    std::size_t s = 0;
    for (std::size_t i = 0; i < split.words.size(); ++i) {
        const std::size_t m = split.wordTokens[i].size();
        if (m == 0 || s + m > startTimes.size() || s + m > endTimes.size() || s + m > tokenLogProbs.size()) break;
        float sum = 0;
        for (std::size_t k = s; k < s + m; ++k) sum += tokenLogProbs[k];
        timings.push_back({split.words[i], split.wordTokens[i], startTimes[s], endTimes[s + m - 1],
                           std::exp(sum / static_cast<float>(m))});
        s += m;
    }
    return timings;
}

} // namespace hushframe
