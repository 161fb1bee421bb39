#pragma once
// The recurrent state of the prediction network (LSTM hidden and cell arrays,
// [layers, 1, 640]) plus what one decoding call hands to the next: the last
// emitted token, the cached decoder projection and the frame jump. Copies
// share the two arrays; one state serves one decoding at a time.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <optional>

namespace razeziruzer {

struct TdtDecoderState {
    static constexpr int hiddenSize = 640;

    // Zeroed arrays for that many layers; array creation errors pass unchanged.
    explicit TdtDecoderState(int decoderLayers);
    // The same. Allocation failures are thrown, never fatal: a caller that
    // cannot recover reports them like any other failed transcription.
    static TdtDecoderState make(int decoderLayers);

    // Zeroes both arrays in place and clears the carried values.
    void reset();
    // Takes "h_out" and "c_out" from a decoder output; a missing one leaves its array.
    void update(const platform::coreml::MLFeatureProvider& from);

    platform::coreml::MLMultiArray hiddenState;
    platform::coreml::MLMultiArray cellState;
    std::optional<int> lastToken;
    std::optional<platform::coreml::MLMultiArray> predictorOutput;
    std::optional<int> timeJump;
};

} // namespace razeziruzer
