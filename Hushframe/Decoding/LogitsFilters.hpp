#pragma once
// The built-in logits filters of the decoding loop: caller-forbidden tokens,
// no blank start, the grammar of timestamp tokens, and language tokens only
// (for language detection). Each sets forbidden scores to minus infinity in
// place; the index lists are computed once at construction.

#include "Hushframe/Core/LogitsFiltering.hpp"
#include "Hushframe/Core/Models/SpecialTokens.hpp"

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace hushframe {

using TokenIndexes = std::vector<std::vector<std::int64_t>>;

class SuppressTokensFilter : public LogitsFiltering {
public:
    explicit SuppressTokensFilter(std::vector<int> suppressTokens);
    platform::coreml::MLMultiArray filterLogits(const platform::coreml::MLMultiArray& logits,
                                                const std::vector<int>& withTokens) override;

    const std::vector<int> suppressTokens;
    const TokenIndexes suppressTokenIndexes;
};

// Forbids the whitespace and end tokens at the first sampled position only.
class SuppressBlankFilter : public LogitsFiltering {
public:
    SuppressBlankFilter(SpecialTokens specialTokens, std::int64_t sampleBegin);
    platform::coreml::MLMultiArray filterLogits(const platform::coreml::MLMultiArray& logits,
                                                const std::vector<int>& withTokens) override;

    const SpecialTokens specialTokens;
    const std::int64_t sampleBegin;
    const TokenIndexes suppressTokenIndexes;
};

// Timestamps come in pairs and never go back; no "no timestamps" token once
// sampling began; only a timestamp when timestamps together outweigh every
// other token.
class TimestampRulesFilter : public LogitsFiltering {
public:
    TimestampRulesFilter(SpecialTokens specialTokens, std::int64_t sampleBegin,
                         std::optional<std::int64_t> maxInitialTimestampIndex, bool isModelMultilingual);
    platform::coreml::MLMultiArray filterLogits(const platform::coreml::MLMultiArray& logits,
                                                const std::vector<int>& withTokens) override;

    const SpecialTokens specialTokens;
    const std::int64_t sampleBegin;
    // Stored; no rule reads it.
    const std::optional<std::int64_t> maxInitialTimestampIndex;
    const bool isModelMultilingual;

private:
    std::optional<std::int64_t> effectiveSampleBegin(const std::vector<int>& tokens) const;
    static bool sumOfProbabilityOverTimestampsIsAboveAnyOtherToken(const platform::coreml::MLMultiArray& logits,
                                                                   int timeTokenBegin);
};

// Leaves only language tokens selectable once `sampleBegin` tokens are present.
class LanguageLogitsFilter : public LogitsFiltering {
public:
    LanguageLogitsFilter(std::set<int> allLanguageTokens, std::int64_t logitsDim, std::int64_t sampleBegin);
    platform::coreml::MLMultiArray filterLogits(const platform::coreml::MLMultiArray& logits,
                                                const std::vector<int>& withTokens) override;

    const std::set<int> allLanguageTokens;
    const std::int64_t logitsDim;
    const std::int64_t sampleBegin;
    const TokenIndexes nonLanguageTokenIndexes;
};

} // namespace hushframe
