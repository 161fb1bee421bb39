#pragma once
// A filter the text decoder applies to each step's logits: it sets the scores
// of tokens that must not come next to minus infinity, in place, and never
// raises a score. The base filter leaves the scores as they are.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <vector>

namespace hushframe {

class LogitsFiltering {
public:
    virtual ~LogitsFiltering() = default;

    // `logits` is a float32 [1, 1, V] array; `withTokens` the whole token
    // sequence so far. Returns the same (changed) array.
    virtual platform::coreml::MLMultiArray filterLogits(const platform::coreml::MLMultiArray& logits,
                                                        const std::vector<int>& withTokens) {
        (void)withTokens;
        return logits;
    }
};

} // namespace hushframe
