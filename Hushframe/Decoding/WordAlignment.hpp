#pragma once
// Word timings from the decoder's cross-attention: the cheapest monotonic
// path through the (token × frame) weights by dynamic time warping, token
// times read off that path (one frame is 0.02 s), tokens grouped into words
// by the tokenizer, each word's probability the exponent of its tokens' mean
// log probability.

#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "Hushframe/Core/Models/WordTiming.hpp"

#include <cstdint>
#include <utility>
#include <vector>

namespace hushframe {

// Row-major weights, one row per token.
struct AlignmentMatrix {
    std::int64_t rows = 0;
    std::int64_t columns = 0;
    std::vector<double> values;
    double at(std::int64_t row, std::int64_t column) const { return values[static_cast<std::size_t>(row * columns + column)]; }
};

struct WordAlignment {
    WordAlignment() = delete;

    // (text indices, time indices) along the path from (0, 0) to the last
    // cell; ties prefer the step from the left. Empty for an empty matrix.
    static std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>> dynamicTimeWarping(
        const AlignmentMatrix& matrix);

    // Words with times relative to the window; empty for fewer than two words.
    static std::vector<WordTiming> findAlignment(const std::vector<int>& wordTokenIds, const AlignmentMatrix& weights,
                                                 const std::vector<float>& tokenLogProbs,
                                                 const WhisperTokenizer& tokenizer);
};

} // namespace hushframe
