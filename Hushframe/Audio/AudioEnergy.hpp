#pragma once
// Loudness and speech-presence measures on float sample arrays: plain
// root-mean-square energy, energy with peak and trough, a decibel-scaled
// relative energy in [0, 1], a voice check over recent relative energies,
// and the active ranges of an array. Pure functions.

#include "Hushframe/Core/VoiceActivityDetector.hpp"

#include <optional>
#include <span>
#include <vector>

namespace hushframe {

struct AudioEnergy {
    struct Measures {
        float avg = 0; // root-mean-square
        float max = 0; // largest magnitude
        float min = 0; // smallest magnitude
    };

    // All three are 0 for an empty array.
    static float calculateAverageEnergy(std::span<const float> of);
    static Measures calculateEnergy(std::span<const float> of);

    // 0 at the reference level (default 0.001, at least 1e-8) and below, 1 at
    // full scale (root-mean-square 1) and above, linear in decibels between;
    // 0 when the scale is undefined (an infinite reference).
    static float calculateRelativeEnergy(std::span<const float> of, std::optional<float> relativeTo = std::nullopt);

    // Whether a relative energy of the last nextBufferInSeconds (0.1 s per
    // value) is above the threshold, looking past the newest 10 values when
    // more than 20 are in reach. False for a time that is not a finite
    // count of values.
    static bool isVoiceDetected(std::span<const float> in, float nextBufferInSeconds, float silenceThreshold);

    // Active ranges at 16 kHz in 1600-sample frames above energy 0.02.
    static std::vector<VoiceActivityDetector::Range> calculateNonSilentChunks(std::span<const float> in);
};

} // namespace hushframe
