#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"

#include <algorithm>

namespace razeziruzer {

ASRConfig::ASRConfig(std::int64_t sampleRate, TdtConfig tdtConfig, std::int64_t encoderHiddenSize,
                     std::int64_t parallelChunkConcurrency, bool streamingEnabled, std::int64_t streamingThreshold,
                     bool melChunkContext, bool dualDecodeArbitration)
    : sampleRate_(sampleRate),
      tdtConfig_(std::move(tdtConfig)),
      encoderHiddenSize_(encoderHiddenSize),
      parallelChunkConcurrency_(std::max<std::int64_t>(1, parallelChunkConcurrency)),
      streamingEnabled_(streamingEnabled),
      streamingThreshold_(streamingThreshold),
      melChunkContext_(melChunkContext),
      dualDecodeArbitration_(dualDecodeArbitration) {}

const ASRConfig& ASRConfig::default_() {
    static const ASRConfig shared(16000, TdtConfig::default_(), 1024, 4, true, 480000, true, false);
    return shared;
}

} // namespace razeziruzer
