#pragma once
// The beam-search sampler as the system defines it: a public type that keeps
// its configuration and whose two sampling operations are refused by design,
// each with its own std::logic_error message. Decoding always samples greedily;
// nothing in the pipeline builds one.

#include "Hushframe/Core/TokenSampler.hpp"

#include <cstdint>
#include <vector>

namespace hushframe {

class BeamSearchTokenSampler : public TokenSampling {
public:
    // Throws std::invalid_argument ("Invalid beam size <n> or patience <p>")
    // when beamSize × patience is below 1.
    BeamSearchTokenSampler(std::int64_t beamSize, int eotToken, float patience = 1);

    void reset() { finishedSequences.clear(); }
    SamplingResult update(const std::vector<int>& tokens, const platform::coreml::MLMultiArray& logits,
                          const std::vector<float>& logProbs) override;
    SamplingResult finalize(const std::vector<int>& tokens, const std::vector<float>& logProbs) override;

    std::int64_t beamSize;
    int eotToken;
    float patience;
    // beamSize × patience, truncated toward zero.
    std::int64_t maxCandidates;
    std::vector<float> finishedSequences;
};

} // namespace hushframe
