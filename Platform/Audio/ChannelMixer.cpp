#include "Platform/Audio/ChannelMixer.hpp"

#include <algorithm>

namespace platform::audio {

ChannelMixer::ChannelMixer(std::uint32_t inputChannels, std::uint32_t outputChannels)
    : input_(inputChannels), working_(std::min(inputChannels, outputChannels)), weights_(working_, 0.0f) {
    std::vector<std::uint32_t> feeds(working_, 0);
    for (std::uint32_t i = 0; i < input_; ++i) {
        ++feeds[i % working_];
    }
    for (std::uint32_t j = 0; j < working_; ++j) {
        weights_[j] = 1.0f / static_cast<float>(feeds[j]);
    }
}

void ChannelMixer::reduce(const float* input, std::size_t frames, std::vector<float>& out) const {
    const std::size_t start = out.size();
    if (input_ == working_) {
        out.insert(out.end(), input, input + frames * input_);
        return;
    }
    out.resize(start + frames * working_, 0.0f);
    float* mixed = out.data() + start;
    for (std::size_t f = 0; f < frames; ++f) {
        const float* frame = input + f * input_;
        float* target = mixed + f * working_;
        for (std::uint32_t i = 0; i < input_; ++i) {
            target[i % working_] += frame[i];
        }
        for (std::uint32_t j = 0; j < working_; ++j) {
            target[j] *= weights_[j];
        }
    }
}

} // namespace platform::audio
