#include "Hushframe/Decoding/LogitsFilters.hpp"

#include "PelluxCore/MLMultiArrayExtensions.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace hushframe {

using platform::coreml::MLMultiArray;

namespace {

constexpr float minusInfinity = -std::numeric_limits<float>::infinity();

TokenIndexes indexesOf(const std::vector<int>& tokens) {
    TokenIndexes indexes;
    indexes.reserve(tokens.size());
    for (const int token : tokens) indexes.push_back({0, 0, token});
    return indexes;
}

std::int64_t tokenCount(const std::vector<int>& tokens) { return static_cast<std::int64_t>(tokens.size()); }

void suppressRange(const MLMultiArray& logits, std::int64_t lower, std::int64_t upper) {
    upper = std::min(upper, logits.shape().back());
    if (lower < upper) pelluxcore::fillLastDimension(logits, {lower, upper}, minusInfinity);
}

TokenIndexes nonLanguageIndexes(std::int64_t logitsDim, const std::set<int>& languages) {
    if (logitsDim < 0) throw std::invalid_argument("logitsDim must not be negative");
    TokenIndexes indexes;
    for (std::int64_t i = 0; i < logitsDim; ++i) {
        if (!languages.contains(static_cast<int>(i))) indexes.push_back({0, 0, i});
    }
    return indexes;
}

} // namespace

SuppressTokensFilter::SuppressTokensFilter(std::vector<int> suppressTokens)
    : suppressTokens(std::move(suppressTokens)), suppressTokenIndexes(indexesOf(this->suppressTokens)) {}

MLMultiArray SuppressTokensFilter::filterLogits(const MLMultiArray& logits, const std::vector<int>&) {
    pelluxcore::fill(logits, suppressTokenIndexes, minusInfinity);
    return logits;
}

SuppressBlankFilter::SuppressBlankFilter(SpecialTokens specialTokens, std::int64_t sampleBegin)
    : specialTokens(specialTokens), sampleBegin(sampleBegin),
      suppressTokenIndexes(indexesOf({specialTokens.whitespaceToken, specialTokens.endToken})) {}

MLMultiArray SuppressBlankFilter::filterLogits(const MLMultiArray& logits, const std::vector<int>& withTokens) {
    if (tokenCount(withTokens) == sampleBegin) pelluxcore::fill(logits, suppressTokenIndexes, minusInfinity);
    return logits;
}

TimestampRulesFilter::TimestampRulesFilter(SpecialTokens specialTokens, std::int64_t sampleBegin,
                                           std::optional<std::int64_t> maxInitialTimestampIndex,
                                           bool isModelMultilingual)
    : specialTokens(specialTokens), sampleBegin(sampleBegin), maxInitialTimestampIndex(maxInitialTimestampIndex),
      isModelMultilingual(isModelMultilingual) {}

std::optional<std::int64_t> TimestampRulesFilter::effectiveSampleBegin(const std::vector<int>& tokens) const {
    if (!isModelMultilingual) return sampleBegin;
    const std::size_t limit = std::min<std::size_t>(tokens.size(), 3);
    for (std::size_t i = 0; i < limit; ++i) {
        if (tokens[i] == specialTokens.transcribeToken || tokens[i] == specialTokens.translateToken) {
            return std::max(static_cast<std::int64_t>(i) + 1, sampleBegin);
        }
    }
    return std::nullopt;
}

MLMultiArray TimestampRulesFilter::filterLogits(const MLMultiArray& logits, const std::vector<int>& withTokens) {
    const auto begin = effectiveSampleBegin(withTokens);
    const std::int64_t n = tokenCount(withTokens);
    if (!begin || n < *begin) return logits;
    const int timeBegin = specialTokens.timeTokenBegin;
    pelluxcore::fill(logits, {{0, 0, specialTokens.noTimestampsToken}}, minusInfinity);

    if (n > *begin) {
        const bool lastWasTimestamp = withTokens.back() >= timeBegin;
        const bool penultimateWasTimestamp = n - *begin == 1 || withTokens[withTokens.size() - 2] >= timeBegin;
        if (lastWasTimestamp && penultimateWasTimestamp) {
            suppressRange(logits, timeBegin, logits.shape().back());
        } else if (lastWasTimestamp) {
            suppressRange(logits, 0, specialTokens.endToken);
        }
        std::optional<int> lastTimestamp;
        for (std::int64_t i = *begin; i < n; ++i) {
            if (withTokens[static_cast<std::size_t>(i)] >= timeBegin) lastTimestamp = withTokens[static_cast<std::size_t>(i)];
        }
        if (lastTimestamp) {
            const bool closesSegment = lastWasTimestamp && !penultimateWasTimestamp;
            suppressRange(logits, timeBegin, closesSegment ? *lastTimestamp : *lastTimestamp + 1);
        }
    }
    if (sumOfProbabilityOverTimestampsIsAboveAnyOtherToken(logits, timeBegin)) suppressRange(logits, 0, timeBegin);
    return logits;
}

bool TimestampRulesFilter::sumOfProbabilityOverTimestampsIsAboveAnyOtherToken(const MLMultiArray& logits,
                                                                              int timeTokenBegin) {
    const std::int64_t count = logits.shape().back();
    if (timeTokenBegin <= 0 || timeTokenBegin >= count) return false;
    std::vector<double> scores(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) scores[static_cast<std::size_t>(i)] = logits[i].doubleValue();
    // Both sides share the softmax normaliser, so comparing the raw
    // log-sum-exp of the timestamps with the best text score is the same test.
    const double top = *std::max_element(scores.begin(), scores.end());
    if (!std::isfinite(top)) return false;
    double timestampSum = 0;
    for (std::int64_t i = timeTokenBegin; i < count; ++i) timestampSum += std::exp(scores[static_cast<std::size_t>(i)] - top);
    const double timestampLogProb = std::log(timestampSum) + top;
    const double maxText = *std::max_element(scores.begin(), scores.begin() + timeTokenBegin);
    return timestampLogProb > maxText;
}

LanguageLogitsFilter::LanguageLogitsFilter(std::set<int> allLanguageTokens, std::int64_t logitsDim,
                                           std::int64_t sampleBegin)
    : allLanguageTokens(std::move(allLanguageTokens)), logitsDim(logitsDim), sampleBegin(sampleBegin),
      nonLanguageTokenIndexes(nonLanguageIndexes(logitsDim, this->allLanguageTokens)) {}

MLMultiArray LanguageLogitsFilter::filterLogits(const MLMultiArray& logits, const std::vector<int>& withTokens) {
    if (tokenCount(withTokens) >= sampleBegin) pelluxcore::fill(logits, nonLanguageTokenIndexes, minusInfinity);
    return logits;
}

} // namespace hushframe
