#pragma once
// Turns any audio the speech package is handed (a file, a PCM buffer, a
// captured sample buffer, or float samples at a known rate) into plain 32-bit
// float samples, one channel, at the target rate. Holds no mutable state after
// construction, so one converter may serve several callers at once.
//
// Captured sample buffers are PCM buffers on this platform, so the
// sample-buffer paths take a PCMBuffer too.

#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverterError.hpp"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

class AudioConverter {
public:
    // Target: 32-bit float, one channel, not interleaved, at `sampleRate`.
    // Throws AudioConverterError(failedToCreateSourceFormat) for a rate no
    // format can be made for (not a positive finite number).
    explicit AudioConverter(double sampleRate, bool debug = false);
    // No format: the same at 16,000 Hz. A supplied format is used unchanged.
    explicit AudioConverter(std::optional<platform::audio::AudioFormat> targetFormat = std::nullopt,
                            bool debug = false);

    const platform::audio::AudioFormat& targetFormat() const { return targetFormat_; }

    // All of these throw AudioConverterError, or the platform audio layer's
    // own AudioError when a file cannot be opened or read.
    // A file is read chunk by chunk and converted as one stream, so its cost
    // and memory follow the converted result, not the file's own samples.
    std::vector<float> resampleAudioFile(const std::filesystem::path& url) const;
    std::vector<float> resampleAudioFile(const std::string& path) const;
    std::vector<float> resampleBuffer(const platform::audio::PCMBuffer& buffer) const;
    std::vector<float> resample(std::span<const float> samples, double from) const;
    // Always runs through the platform converter, even when the format matches.
    std::vector<float> resampleSampleBuffer(const platform::audio::PCMBuffer& sampleBuffer) const;
    // A PCM buffer in the sample buffer's own format holding its frames.
    platform::audio::PCMBuffer extractAVAudioPCMBuffer(const platform::audio::PCMBuffer& from) const;

private:
    bool isTargetFormat(const platform::audio::AudioFormat& format) const;
    std::vector<float> convertBuffer(const platform::audio::PCMBuffer& buffer,
                                     const platform::audio::AudioFormat& to) const;
    std::vector<float> linearResample(const platform::audio::PCMBuffer& buffer,
                                      const platform::audio::AudioFormat& to) const;
    std::vector<float> resampleWithAVAudio(std::span<const float> samples, double from, double to) const;

    AppLogger logger_{"AudioConverter"};
    platform::audio::AudioFormat targetFormat_;
    bool debug_;
};

} // namespace razeziruzer
