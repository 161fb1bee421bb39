#pragma once
// The audio-encoder stage as the main object sees it.

#include <optional>

namespace hushframe {

class AudioEncoding {
public:
    virtual ~AudioEncoding() = default;

    // Width of the encoder's output embeddings; absent while no model is loaded.
    virtual std::optional<int> embedSize() const = 0;
};

} // namespace hushframe
