#pragma once
// The converter's channel rule, for N input and M output channels:
//   M <= N: output channel j is the mean of the input channels i with i % M == j
//           (so any count to mono averages all channels);
//   M >  N: output channel j repeats input channel j % N (mono is duplicated).
// Reduction happens before resampling and repetition after it, so the
// resampler only ever works on min(N, M) channels.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::audio {

class ChannelMixer {
public:
    ChannelMixer(std::uint32_t inputChannels, std::uint32_t outputChannels);

    // Channels the resampler sees: min(input, output).
    std::uint32_t workingChannels() const { return working_; }

    // Reduces `frames` interleaved input frames to the working channels, appending to `out`.
    void reduce(const float* input, std::size_t frames, std::vector<float>& out) const;

private:
    std::uint32_t input_;
    std::uint32_t working_;
    std::vector<float> weights_; // 1 / number of inputs feeding each working channel
};

} // namespace platform::audio
