#pragma once
// The text tokens of a token sequence: every id below the first special id, in order.

#include <algorithm>
#include <iterator>
#include <vector>

namespace hushframe {

inline std::vector<int> textTokens(const std::vector<int>& tokens, int specialTokenBegin) {
    std::vector<int> kept;
    std::copy_if(tokens.begin(), tokens.end(), std::back_inserter(kept),
                 [specialTokenBegin](int token) { return token < specialTokenBegin; });
    return kept;
}

} // namespace hushframe
