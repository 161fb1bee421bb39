#pragma once
// Checks whether audio (16 kHz mono) is usable for diarization and whether a
// speaker embedding is usable at all.

#include "RazeziRuzer/Diarizer/Core/AudioValidationResult.hpp"

#include <span>

namespace razeziruzer {

struct AudioValidation {
    AudioValidationResult validateAudio(std::span<const float> samples) const;
    // Finite values whose L2 norm is greater than 0.1.
    bool validateEmbedding(std::span<const float> embedding) const;
};

} // namespace razeziruzer
