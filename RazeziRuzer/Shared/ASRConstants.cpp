#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <cmath>

namespace razeziruzer::ASRConstants {

int calculateEncoderFrames(int from) {
    return static_cast<int>(std::ceil(static_cast<double>(from) / samplesPerEncoderFrame));
}

int minimumRequiredSamples(int forSampleRate) {
    return static_cast<int>(static_cast<double>(forSampleRate) * minimumAudioDurationSeconds);
}

} // namespace razeziruzer::ASRConstants
