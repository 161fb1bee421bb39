#pragma once
// The pipeline's audio processor: it turns audio files into 16 kHz mono
// float samples (mixing channels as an AudioInputConfig::ChannelMode says and
// resampling), copies buffers into sample arrays, and measures frame energies.
// Loading keeps no state between calls. Live microphone capture is not built:
// stopRecording() has nothing to stop.

#include "Hushframe/Core/AudioInputConfig.hpp"
#include "Hushframe/Core/AudioProcessing.hpp"
#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace hushframe {

// The samples of one loaded file, or the error that stopped its loading.
using AudioArrayOutcome = std::variant<std::vector<float>, std::exception_ptr>;

class AudioProcessor : public AudioProcessing {
public:
    using ChannelMode = AudioInputConfig::ChannelMode;

    static constexpr double sampleRate = 16000;
    // Length of the pieces loadAudioAsFloatArray loads a file in.
    static constexpr double fileSegmentSeconds = 600;
    // Frames copied per step when a loaded buffer becomes an array.
    static constexpr std::int64_t conversionChunkSize = 1024;
    // Lower bound of the summed signal's peak when a channel sum is rescaled.
    static constexpr float mixFloor = 0.0001F;

    void stopRecording() override {}

    // The file at the path between the start and end times (seconds; absent:
    // its start and its end) as a 16 kHz mono float32 buffer. Throws
    // WhisperError (loadAudioFailed) "Resource path does not exist " + path,
    // the audio layer's error when the file cannot be opened, and what
    // loadAudio(fromFile:) throws.
    static platform::audio::PCMBuffer loadAudio(const std::string& fromPath, const ChannelMode& channelMode,
                                                std::optional<double> startTime, std::optional<double> endTime,
                                                std::optional<std::uint32_t> maxReadFrameSize);
    // The same from an opened file, whose read position moves. A file already
    // at 16 kHz mono is read as it is; any other is read `maxReadFrameSize`
    // frames (default 1,323,000) at a time, mixed to mono and resampled.
    // Throws WhisperError (loadAudioFailed): "Unable to create audio buffer",
    // "Failed to read audio file: " + cause, "Failed to process audio buffer".
    // A start after the end gives an empty buffer.
    static platform::audio::PCMBuffer loadAudio(platform::audio::AudioFile& fromFile, const ChannelMode& channelMode,
                                                std::optional<double> startTime, std::optional<double> endTime,
                                                std::optional<std::uint32_t> maxReadFrameSize);
    // The file's samples between the times, loaded in 600-second segments.
    // Throws as loadAudio(fromPath:).
    static std::vector<float> loadAudioAsFloatArray(const std::string& fromPath, const ChannelMode& channelMode,
                                                    std::optional<double> startTime = 0,
                                                    std::optional<double> endTime = std::nullopt);
    // Every path loaded whole in parallel; one outcome per path, in path order. Never throws.
    static std::vector<AudioArrayOutcome> loadAudio(const std::vector<std::string>& at, const ChannelMode& channelMode);
    // The whole file, channels summed.
    static platform::audio::PCMBuffer loadAudioAsync(const std::string& fromPath);

    // The file from its read position on (`frameCount` frames, default to its
    // end), converted to the rate and channel count; absent (with an error
    // log) when a step fails.
    static std::optional<platform::audio::PCMBuffer> resampleAudio(platform::audio::AudioFile& fromFile,
                                                                   double toSampleRate, std::uint32_t channelCount,
                                                                   const ChannelMode& channelMode,
                                                                   std::optional<std::uint32_t> frameCount,
                                                                   std::uint32_t maxReadFrameSize);
    // One buffer converted by a new converter; absent (with an error log) on failure.
    static std::optional<platform::audio::PCMBuffer> resampleAudio(const platform::audio::PCMBuffer& fromBuffer,
                                                                   double toSampleRate, std::uint32_t channelCount);
    // The whole buffer through the converter into a buffer of
    // frames × out rate / in rate frames (rounded half to even, at least 1).
    // Throws WhisperError (audioProcessingFailed): "Failed to create converted
    // buffer", "Error converting audio: " + cause.
    static platform::audio::PCMBuffer resampleBuffer(const platform::audio::PCMBuffer& buffer,
                                                     platform::audio::AudioConverter& converter);
    // One channel: a buffer of fewer than two channels as it is; the given
    // channel (channel 0 when out of range), unscaled; or the sum of the
    // listed channels (all when the list is absent or empty; out-of-range
    // indices dropped, duplicates kept) rescaled so that its peak equals the
    // loudest chosen channel's. Absent (with an error log) for a buffer
    // without float samples.
    static std::optional<platform::audio::PCMBuffer> convertToMono(const platform::audio::PCMBuffer& buffer,
                                                                   const ChannelMode& mode);
    // The first channel's valid frames, copied `chunkSize` (at least 1)
    // frames at a time; each copied stretch of the buffer is then zeroed.
    // Empty for a buffer without float samples.
    static std::vector<float> convertBufferToArray(platform::audio::PCMBuffer& buffer, std::int64_t chunkSize);
    // Appends `frameCount` frames of the source's first data block from
    // `startingFrame` to the receiver's, cutting the count to the receiver's
    // free space. False for differing formats, too few source frames or a
    // buffer without float samples.
    static bool appendContents(platform::audio::PCMBuffer& receiver, const platform::audio::PCMBuffer& source,
                               std::int64_t startingFrame, std::uint32_t frameCount);

    // `chunkCount` frames `frameLengthSamples` apart, each measured over
    // frameLengthSamples + frameOverlapSamples samples (clipped at the end):
    // active when its root-mean-square energy is above the threshold.
    static std::vector<bool> calculateVoiceActivityInChunks(std::span<const float> of, std::int64_t chunkCount,
                                                            std::int64_t frameLengthSamples,
                                                            std::int64_t frameOverlapSamples, float energyThreshold);
};

} // namespace hushframe
