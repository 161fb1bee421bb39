#pragma once
// A 44.1 kHz stereo 16-bit WAV file of a two-tone signal in the temporary
// folder, removed when the object goes; the input of the file-conversion
// benchmarks.

#include "Platform/Audio/WavWriter.hpp"

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

namespace razaudiobench {

class StereoWavFile {
public:
    static constexpr double rate = 44100;

    explicit StereoWavFile(double seconds)
        : path_(std::filesystem::temp_directory_path() /
                ("razaudio-bench-" + std::to_string(::getpid()) + "-" + std::to_string(static_cast<long>(seconds)) +
                 ".wav")) {
        const auto frames = static_cast<std::size_t>(seconds * rate);
        std::vector<float> interleaved(frames * 2);
        for (std::size_t f = 0; f < frames; ++f) {
            const double t = static_cast<double>(f) / rate;
            interleaved[2 * f] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 440 * t));
            interleaved[2 * f + 1] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 1250 * t));
        }
        platform::audio::WavWriter::write(path_, interleaved, rate, 2);
    }
    ~StereoWavFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    StereoWavFile(const StereoWavFile&) = delete;
    StereoWavFile& operator=(const StereoWavFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace razaudiobench
