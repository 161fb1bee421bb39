#pragma once
// Token samplers of the decoding loop: given the filtered scores of the next
// position they pick the next token (arg-max at temperature 0, a top-K draw
// otherwise) and record its natural-log probability. Language detection builds
// a greedy sampler at temperature 0.

#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <vector>

namespace hushframe {

struct SamplingResult {
    // The whole token sequence after this step.
    std::vector<int> tokens;
    // One log probability per token the sampler produced, in the same order.
    std::vector<float> logProbs;
    bool completed = false;

    bool operator==(const SamplingResult&) const = default;
};

class TokenSampling {
public:
    virtual ~TokenSampling() = default;

    // `logits` holds one score per vocabulary entry (read as one flat vector),
    // suppressed entries at minus infinity. The inputs are not changed.
    virtual SamplingResult update(const std::vector<int>& tokens, const platform::coreml::MLMultiArray& logits,
                                  const std::vector<float>& logProbs) = 0;
    virtual SamplingResult finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) = 0;
};

class GreedyTokenSampler : public TokenSampling {
public:
    GreedyTokenSampler(float temperature, int eotToken, DecodingOptions decodingOptions)
        : temperature(temperature), eotToken(eotToken), decodingOptions(std::move(decodingOptions)) {}

    // Appends the sampled token and its log probability (the log of its
    // softmax probability at this temperature); completed when it is eotToken.
    // Throws std::invalid_argument for empty logits.
    SamplingResult update(const std::vector<int>& tokens, const platform::coreml::MLMultiArray& logits,
                          const std::vector<float>& logProbs) override;
    // Ends the sequence with eotToken (log probability 0) unless it already does.
    SamplingResult finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) override;

    // 0 selects arg-max; any other value a draw among the topK most probable tokens.
    float temperature;
    int eotToken;
    // Only topK is read.
    DecodingOptions decodingOptions;
};

} // namespace hushframe
