#include "Hushframe/Core/VoiceActivityDetector.hpp"

#include <algorithm>
#include <stdexcept>

namespace hushframe {

VoiceActivityDetector::VoiceActivityDetector(std::int64_t sampleRate, std::int64_t frameLengthSamples,
                                             std::int64_t frameOverlapSamples)
    : sampleRate(sampleRate), frameLengthSamples(frameLengthSamples), frameOverlapSamples(frameOverlapSamples) {
    // Frames of no length would never advance through the samples.
    if (frameLengthSamples < 1) throw std::invalid_argument("A voice-activity frame needs at least one sample");
}

std::vector<VoiceActivityDetector::Range> VoiceActivityDetector::calculateActiveChunks(
    std::span<const float> samples) const {
    const std::vector<bool> flags = voiceActivity(samples);
    const auto count = static_cast<std::int64_t>(samples.size());
    std::vector<Range> ranges;
    bool previousSilent = true;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (flags[i]) {
            const std::int64_t start = static_cast<std::int64_t>(i) * frameLengthSamples;
            const std::int64_t end = std::min(start + frameLengthSamples, count);
            if (previousSilent) {
                ranges.push_back({start, end});
            } else {
                ranges.back().endIndex = end;
            }
        }
        previousSilent = !flags[i];
    }
    return ranges;
}

std::int64_t VoiceActivityDetector::voiceActivityIndexToAudioSampleIndex(std::int64_t index) const {
    return index * frameLengthSamples;
}

float VoiceActivityDetector::voiceActivityIndexToSeconds(std::int64_t index) const {
    return static_cast<float>(index * frameLengthSamples) / static_cast<float>(sampleRate);
}

std::optional<VoiceActivityDetector::Range> VoiceActivityDetector::findLongestSilence(
    const std::vector<bool>& vadResult) const {
    std::optional<Range> longest;
    std::size_t i = 0;
    while (i < vadResult.size()) {
        if (vadResult[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < vadResult.size() && !vadResult[j]) ++j;
        const auto length = static_cast<std::int64_t>(j - i);
        if (!longest || length > longest->endIndex - longest->startIndex) {
            longest = Range{static_cast<std::int64_t>(i), static_cast<std::int64_t>(j)};
        }
        i = j;
    }
    return longest;
}

} // namespace hushframe
