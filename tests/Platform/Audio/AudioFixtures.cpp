#include "tests/Platform/Audio/AudioFixtures.hpp"

#include <sndfile.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

namespace audiotest {

std::vector<float> sine(double hz, double sampleRate, std::size_t frames, std::uint32_t channels, float amplitude) {
    std::vector<float> samples(frames * channels);
    for (std::size_t f = 0; f < frames; ++f) {
        for (std::uint32_t c = 0; c < channels; ++c) {
            const double phase = 2 * std::numbers::pi * hz * (c + 1) * static_cast<double>(f) / sampleRate;
            samples[f * channels + c] = amplitude * static_cast<float>(std::sin(phase));
        }
    }
    return samples;
}

void writeSoundFile(const std::filesystem::path& path, const std::vector<float>& interleaved, int sampleRate,
                    int channels, int format) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        throw std::runtime_error(sf_strerror(nullptr));
    }
    const auto frames = static_cast<sf_count_t>(interleaved.size() / channels);
    const sf_count_t written = sf_writef_float(file, interleaved.data(), frames);
    sf_close(file);
    if (written != frames) {
        throw std::runtime_error("short write");
    }
}

double dftMagnitude(const std::vector<float>& samples, double sampleRate, double hz) {
    std::complex<double> sum;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        sum += static_cast<double>(samples[i]) *
               std::polar(1.0, -2 * std::numbers::pi * hz * static_cast<double>(i) / sampleRate);
    }
    return std::abs(sum) / static_cast<double>(samples.size());
}

} // namespace audiotest
