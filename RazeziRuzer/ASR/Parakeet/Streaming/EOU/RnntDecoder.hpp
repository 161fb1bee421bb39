#pragma once
// Greedy RNN-T decoding of one chunk's encoder output for the end-of-utterance
// recogniser. The joint model picks each token itself ("token_id"); decoding
// stops at the end-of-utterance token. The prediction network's state and the
// last token carry from chunk to chunk. Either a decoder and a joint model run
// per step, or one fused model does both. Not safe for concurrent use.

#include "Platform/CoreML/MLModel.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer {

class RnntDecoder {
public:
    using MLModel = platform::coreml::MLModel;
    using MLMultiArray = platform::coreml::MLMultiArray;

    struct DecodeResult {
        std::vector<std::int64_t> tokenIds;    // never blank or end of utterance
        std::vector<std::int64_t> tokenFrames; // frame of each token within the given output
        bool eouDetected = false;
    };

    static constexpr std::int32_t blankId = 1026;
    static constexpr std::int32_t eouId = 1024;
    static constexpr int maxSymbolsPerStep = 2;
    static constexpr std::int64_t hiddenSize = 640;
    static constexpr std::int64_t layers = 1;

    RnntDecoder(MLModel decoderModel, MLModel jointModel, std::optional<MLModel> fusedModel = std::nullopt);

    // The carried state, so an owner can undo a chunk that failed midway.
    struct State {
        MLMultiArray h;
        MLMultiArray c;
        std::int32_t lastToken;
    };

    void resetState();
    State state() const { return {hState_, cState_, lastToken_}; }
    void restoreState(State state);
    // Frames from skipFrames up to min(T, validOutLen). Throws
    // std::invalid_argument for a negative skipFrames or an encoder output
    // that is not a rank-3 32-bit float array; RnntDecoderError for a missing
    // model output. timeOffset has no effect: frames are relative to the output.
    DecodeResult decodeWithEOU(const MLMultiArray& encoderOutput, std::int64_t timeOffset, std::int64_t skipFrames,
                               std::optional<std::int64_t> validOutLen);

    bool usesFusedModel() const { return fusedModel_.has_value(); }
    const MLMultiArray& hState() const { return hState_; }
    const MLMultiArray& cState() const { return cState_; }
    std::int32_t lastToken() const { return lastToken_; }

private:
    struct Step {
        std::int32_t token;
        MLMultiArray h;
        MLMultiArray c;
    };

    static MLMultiArray zeroState();
    Step referenceStep(const MLMultiArray& frame) const;
    Step fusedStep(const MLMultiArray& frame) const;

    MLModel decoderModel_;
    MLModel jointModel_;
    std::optional<MLModel> fusedModel_;
    MLMultiArray hState_;
    MLMultiArray cState_;
    std::int32_t lastToken_ = blankId;
};

} // namespace razeziruzer
