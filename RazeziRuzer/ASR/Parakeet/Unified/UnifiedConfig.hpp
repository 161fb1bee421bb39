#pragma once
// Geometry and decoder sizes shared by the unified Parakeet recognisers
// (streaming and offline), with the window sizes derived from them.

#include <cstdint>
#include <string>

namespace razeziruzer {

struct UnifiedConfig {
    std::int64_t leftFrames = 70;
    std::int64_t chunkFrames = 13;
    std::int64_t rightFrames = 13;
    std::int64_t sampleRate = 16000;
    std::int64_t frameSamples = 1280;
    std::int64_t melFeatures = 128;
    std::int64_t decoderLayers = 2;
    std::int64_t decoderHidden = 640;
    std::int64_t blankIdx = 1024;
    std::int64_t maxSymbolsPerFrame = 10;

    bool operator==(const UnifiedConfig&) const = default;

    std::int64_t latencyMs() const { return (chunkFrames + rightFrames) * frameSamples * 1000 / sampleRate; }
    std::int64_t windowSamples() const { return (leftFrames + chunkFrames + rightFrames) * frameSamples; }
    std::int64_t chunkSamples() const { return chunkFrames * frameSamples; }
    std::int64_t rightSamples() const { return rightFrames * frameSamples; }
    std::string contextSuffix() const {
        return std::to_string(leftFrames) + "_" + std::to_string(chunkFrames) + "_" + std::to_string(rightFrames);
    }
    double frameSeconds() const { return static_cast<double>(frameSamples) / static_cast<double>(sampleRate); }
};

} // namespace razeziruzer
