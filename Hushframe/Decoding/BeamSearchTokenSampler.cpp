#include "Hushframe/Decoding/BeamSearchTokenSampler.hpp"

#include <stdexcept>
#include <string>

namespace hushframe {

BeamSearchTokenSampler::BeamSearchTokenSampler(std::int64_t beamSize, int eotToken, float patience)
    : beamSize(beamSize), eotToken(eotToken), patience(patience),
      maxCandidates(static_cast<std::int64_t>(static_cast<float>(beamSize) * patience)) {
    if (maxCandidates <= 0) {
        maxCandidates = 1;
        throw std::invalid_argument("Invalid beam size " + std::to_string(beamSize) + " or patience " +
                                    std::to_string(patience));
    }
}

SamplingResult BeamSearchTokenSampler::update(const std::vector<int>&, const platform::coreml::MLMultiArray&,
                                              const std::vector<float>&) {
    throw std::logic_error("Not implemented: update(tokens:logits:logProbs:)");
}

SamplingResult BeamSearchTokenSampler::finalize(const std::vector<int>&, const std::vector<float>&) {
    throw std::logic_error("Not implemented: finalize(tokens:logProbs:)");
}

} // namespace hushframe
