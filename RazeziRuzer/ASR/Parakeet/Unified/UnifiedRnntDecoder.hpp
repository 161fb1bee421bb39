#pragma once
// Greedy transducer decoding of unified Parakeet encoder output with the
// prediction network and the single-step joint model. The hypothesis state
// carries over between calls; a call that fails leaves it as it was.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer {

class UnifiedRnntDecoder {
public:
    using MLModel = platform::coreml::MLModel;
    using MLMultiArray = platform::coreml::MLMultiArray;

    struct Emission {
        std::int64_t token = 0;
        std::int64_t frame = 0;  // global encoder frame
        float prob = 0;

        bool operator==(const Emission&) const = default;
    };

    // Throws std::invalid_argument when the blank id does not fit 32 bits.
    UnifiedRnntDecoder(MLModel decoderModel, MLModel jointDecisionModel, UnifiedConfig config);

    void reset();
    // `encoded` is one window's [1, H, T] encoder output; frames in
    // [frameBegin, frameEnd) are decoded, stamped with + globalFrameOffset.
    std::vector<Emission> decode(const MLMultiArray& encoded, std::int64_t frameBegin, std::int64_t frameEnd,
                                 std::int64_t globalFrameOffset);

    std::int32_t lastToken() const { return lastToken_; }

private:
    struct DecoderStep {
        MLMultiArray decoderOutput;
        MLMultiArray hOut;
        MLMultiArray cOut;
    };

    DecoderStep runDecoder(std::int32_t token, const MLMultiArray& h, const MLMultiArray& c) const;
    static MLMultiArray zeroState(const UnifiedConfig& config);
    static MLMultiArray extractEncoderStep(const MLMultiArray& encoded, std::int64_t timeIndex);

    MLModel decoderModel_;
    MLModel jointDecisionModel_;
    UnifiedConfig config_;
    MLMultiArray hState_;
    MLMultiArray cState_;
    std::int32_t lastToken_;
};

} // namespace razeziruzer
