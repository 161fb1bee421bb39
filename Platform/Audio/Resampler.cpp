#include "Platform/Audio/Resampler.hpp"

#include "Platform/Audio/AudioError.hpp"

#include <algorithm>
#include <cmath>
#include <soxr.h>
#include <string>

namespace platform::audio {

void Resampler::Delete::operator()(soxr* handle) const { soxr_delete(handle); }

Resampler::Resampler(double inputRate, double outputRate, std::uint32_t channels)
    : ratio_(outputRate / inputRate), channels_(channels) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    soxr_error_t error = nullptr;
    handle_.reset(soxr_create(inputRate, outputRate, channels, &error, &io, &quality, nullptr));
    if (error || !handle_) {
        throw AudioError(AudioErrorKind::invalidFormat,
                         std::string("Cannot make a resampler: ") + (error ? error : "unknown error"));
    }
}

void Resampler::run(const float* input, std::size_t frames, std::size_t* consumed, std::size_t room,
                    std::vector<float>& out) {
    const std::size_t start = out.size();
    out.resize(start + room * channels_);
    std::size_t produced = 0;
    const soxr_error_t error =
        soxr_process(handle_.get(), input, frames, consumed, out.data() + start, room, &produced);
    out.resize(start + produced * channels_);
    if (error) {
        throw AudioError(AudioErrorKind::conversionFailed, std::string("Resampling failed: ") + error);
    }
}

void Resampler::process(const float* input, std::size_t frames, std::vector<float>& out) {
    // soxr takes a limited stretch per call; bounded pieces keep the output
    // room (zero-filled on each resize) proportional to what it produces.
    constexpr std::size_t piece = 8192;
    while (frames > 0) {
        const std::size_t offered = std::min(frames, piece);
        const auto room = static_cast<std::size_t>(std::ceil(static_cast<double>(offered) * ratio_)) + 64;
        std::size_t consumed = 0;
        const std::size_t before = out.size();
        run(input, offered, &consumed, room, out);
        if (consumed == 0 && out.size() == before) {
            throw AudioError(AudioErrorKind::conversionFailed, "Resampling failed: the resampler took no input");
        }
        input += consumed * channels_;
        frames -= consumed;
    }
}

void Resampler::flush(std::vector<float>& out) {
    constexpr std::size_t room = 4096;
    for (;;) {
        const std::size_t before = out.size();
        run(nullptr, 0, nullptr, room, out);
        if (out.size() == before) {
            return;
        }
    }
}

void Resampler::clear() { soxr_clear(handle_.get()); }

} // namespace platform::audio
