#pragma once
// The mel-spectrogram stage as the main object sees it.

#include <optional>

namespace hushframe {

class FeatureExtracting {
public:
    virtual ~FeatureExtracting() = default;

    // Samples of one model window; absent when the model does not tell.
    virtual std::optional<int> windowSamples() const = 0;
};

} // namespace hushframe
