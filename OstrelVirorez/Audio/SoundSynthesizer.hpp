#pragma once
// Makes the application's four short sounds from sine tones, so that no
// sound file has to be shipped or taken from elsewhere.

#include "OstrelVirorez/Audio/SoundEvent.hpp"

#include <filesystem>
#include <vector>

namespace ostrelvirorez {

class SoundSynthesizer {
public:
    static constexpr double sampleRate = 44100;

    // Mono samples at sampleRate.
    static std::vector<float> samples(SoundEvent event);
    // Writes "<raw value>.wav" into `folder` for every event whose file is
    // not there yet; failures are logged and leave that file missing.
    static void writeMissingFiles(const std::filesystem::path& folder);
};

} // namespace ostrelvirorez
