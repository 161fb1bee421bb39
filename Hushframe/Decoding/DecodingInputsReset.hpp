#pragma once
// Rewinds the decoder inputs for a new window or attempt, with the token
// context bounded by the masks' length so that a context longer than the
// model's cache cannot reach past its end.

#include "Hushframe/Core/Models/DecodingInputs.hpp"

#include <algorithm>

namespace hushframe {

inline void resetDecoderInputs(DecodingInputsType& inputs, int maxTokenContext) {
    int context = std::max(maxTokenContext, 1);
    if (const auto* full = dynamic_cast<const DecodingInputs*>(&inputs)) {
        context = static_cast<int>(std::min<std::int64_t>(context, full->kvCacheUpdateMask().count()));
    }
    inputs.reset(context);
}

} // namespace hushframe
