#include "Hushframe/Decoding/BeamSearchTokenSampler.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace hushframe {
namespace {

TEST(BeamSearchTokenSamplerTests, CandidatesAreBeamTimesPatienceAndSamplingIsNotAvailable) {
    EXPECT_EQ(BeamSearchTokenSampler(5, 50, 1.0F).maxCandidates, 5);
    EXPECT_EQ(BeamSearchTokenSampler(3, 50, 0.5F).maxCandidates, 1);
    try {
        BeamSearchTokenSampler(1, 50, 0.5F);
        FAIL() << "a beam below one candidate was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()), "Invalid beam size 1 or patience 0.500000");
    }
    BeamSearchTokenSampler sampler(2, 50, 1.0F);
    const platform::coreml::MLMultiArray logits({1, 1, 4}, platform::coreml::MLMultiArrayDataType::float32);
    EXPECT_THROW(sampler.update({}, logits, {}), std::logic_error);
    EXPECT_THROW(sampler.finalize({}, {}), std::logic_error);
}

} // namespace
} // namespace hushframe
