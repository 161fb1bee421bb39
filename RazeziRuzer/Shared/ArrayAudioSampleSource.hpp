#pragma once
// A sample source over an array held in memory.

#include "RazeziRuzer/Shared/AudioSampleSource.hpp"

#include <vector>

namespace razeziruzer {

struct ArrayAudioSampleSource final : AudioSampleSource {
    explicit ArrayAudioSampleSource(std::vector<float> samples) : samples(std::move(samples)) {}

    std::int64_t sampleCount() const override { return static_cast<std::int64_t>(samples.size()); }
    void copySamples(float* into, std::int64_t offset, std::int64_t count) const override;

    std::vector<float> samples;
};

} // namespace razeziruzer
