#pragma once
// One chunk's model input and how its frames sit in the whole recording: the
// samples read (mel context or warm-up prefix first), where they start, and
// from which frame on tokens count. Decoding it gives the chunk's tokens.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenEntry.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"
#include "RazeziRuzer/Shared/Language.hpp"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace razeziruzer {

class AsrManager;

struct ChunkWindow {
    std::vector<float> samples;      // unpadded
    std::int64_t contextSamples = 0; // mel context at the front, not counted as audio
    std::int64_t globalOffset = 0;   // recording sample of the window's first frame
    bool isLastChunk = false;
    std::optional<int> emitAfterFrame; // with a warm-up prefix: the chunk's own first frame
    std::int64_t modelWindow = ASRConstants::maxModelSamples; // samples the model input is filled to with zeros

    // A fresh decoder state, the window filled with zeros to the model
    // window, one pass on `worker`. Throws the worker's errors and, when its
    // token lists disagree in length, the misalignment error.
    std::vector<TokenEntry> decode(AsrManager& worker, int decoderLayers, std::optional<Language> language,
                                   std::stop_token stop) const;
};

} // namespace razeziruzer
