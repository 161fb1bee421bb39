#pragma once
// The pipeline's audio processor: it turns audio files into 16 kHz mono
// float samples (mixing channels as an AudioInputConfig::ChannelMode says and
// resampling), copies buffers into sample arrays, and measures frame energies;
// loading keeps no state between calls. It also records live input through a
// capture engine (the sound server's by default): every captured buffer
// becomes 16 kHz mono samples appended to one growing list, with one energy
// record per buffer, and goes to a callback or a stream.
//
// Threads: start, pause, resume and stop are called from one thread at a
// time; the capture thread appends. The sample and energy lists, the
// callback and the settings are guarded, so readers on any thread see whole
// buffers only.

#include "Hushframe/Audio/AudioDevice.hpp"
#include "Hushframe/Audio/AudioSampleStream.hpp"
#include "Hushframe/Audio/WaveformImage.hpp"
#include "Hushframe/Core/AudioInputConfig.hpp"
#include "Hushframe/Core/AudioProcessing.hpp"
#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Audio/CaptureEngine.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
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
    // Energy records whose lowest average is the reference of the next relative energy.
    static constexpr std::size_t referenceHistory = 20;

    // One record per captured buffer: relative energy, root-mean-square,
    // largest and smallest magnitude.
    struct EnergyRecord {
        float rel = 0;
        float avg = 0;
        float max = 0;
        float min = 0;
        bool operator==(const EnergyRecord&) const = default;
    };
    using AudioBufferCallback = std::function<void(const std::vector<float>& samples)>;
    using CaptureEngineFactory = std::function<std::unique_ptr<platform::audio::CaptureEngine>()>;
    // A sound-server source index; absent: the system's default input.
    using DeviceID = std::optional<std::uint32_t>;

    // Live capture from the sound server.
    AudioProcessor();
    // Live capture from the engines `makeEngine` builds, one per set-up.
    explicit AudioProcessor(CaptureEngineFactory makeEngine);
    ~AudioProcessor() override;
    AudioProcessor(const AudioProcessor&) = delete;
    AudioProcessor& operator=(const AudioProcessor&) = delete;

    // Empties the samples and energies, stops an engine that is still
    // running, and records from a new one. Throws WhisperError
    // (audioProcessingFailed) when the formats or the converter cannot be
    // made, and the engine's error when it does not start (no engine is
    // left then).
    void startRecordingLive(DeviceID inputDeviceID = std::nullopt, AudioBufferCallback callback = nullptr);
    // Starts recording into a stream of the buffers' samples. Ending the
    // stream clears the callback and stops the recording, on the thread that
    // ends it (nothing once the processor is gone); a failed start ends it
    // with the error, which its first read throws.
    std::pair<AudioSampleStream, AudioSampleStream::Continuation>
    startStreamingRecordingLive(DeviceID inputDeviceID = std::nullopt);
    // Samples, energies and the tap stay.
    void pauseRecording();
    // The same device restarts the engine there is (none after a stop);
    // another device stops it and records from a new one. A given callback
    // replaces the installed one. Throws as startRecordingLive.
    void resumeRecordingLive(DeviceID inputDeviceID = std::nullopt, AudioBufferCallback callback = nullptr);
    // Ends capture; samples, energies, callback and device stay.
    void stopRecording() override;
    // Keeps the newest `keepingLast` samples; energies are not touched. A
    // negative count changes nothing.
    void purgeAudioSamples(std::int64_t keepingLast);

    // Records one buffer of 16 kHz mono samples: appends them, measures
    // their energy against the quietest of the last 20 records (the first
    // buffer's relative energy is 0), and hands them to the callback.
    void processBuffer(std::vector<float> samples);
    // Clears the samples when input is suppressed.
    void suppressInputIfNeeded(std::vector<float>& samples) const;
    // A started engine on the device with the converting tap installed.
    std::unique_ptr<platform::audio::CaptureEngine> setupEngine(DeviceID inputDeviceID);

    std::vector<float> audioSamples() const;
    std::size_t audioSampleCount() const;
    std::vector<EnergyRecord> audioEnergy() const;
    // The relative energy of every record, in order.
    std::vector<float> relativeEnergy() const;
    // Factor of the periodic size log (minBufferLength × this samples); at least 1.
    std::int64_t relativeEnergyWindow() const;
    void setRelativeEnergyWindow(std::int64_t window);
    // Frames asked of the tap per buffer; between 1 and 2^32 - 1.
    std::int64_t minBufferLength() const;
    void setMinBufferLength(std::int64_t length);
    AudioBufferCallback audioBufferCallback() const;
    void setAudioBufferCallback(AudioBufferCallback callback);
    bool isInputSuppressed() const;
    void setInputSuppressed(bool suppressed);
    // The engine set up (running or paused); null when there is none.
    platform::audio::CaptureEngine* audioEngine() const { return audioEngine_.get(); }

    // The sound server's capture sources with at least one channel (monitors
    // of outputs left out); empty, with an error log, when it cannot be asked.
    static std::vector<AudioDevice> getAudioDevices();
    // The desktop asks nothing before a program records: always granted.
    static bool requestRecordPermission();
    // The samples' own bytes as a width × height picture of 32-bit pixels;
    // absent for a size that is not a finite positive whole number of pixels
    // or for fewer than width × height samples.
    static std::optional<WaveformImage> createWaveformImage(std::span<const float> fromAudio, double width,
                                                            double height);

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
    // The buffer is handed over once and ends the converter's stream, so the
    // filter's tail is included; the converter is then spent.
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
    // frames at a time; the buffer is left as it is. Empty for a buffer
    // without float samples.
    static std::vector<float> convertBufferToArray(const platform::audio::PCMBuffer& buffer, std::int64_t chunkSize);
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

private:
    // One tapped buffer on the capture thread.
    void captureBuffer(const platform::audio::PCMBuffer& buffer, platform::audio::AudioConverter& converter);
    void replaceEngine(std::unique_ptr<platform::audio::CaptureEngine> engine);
    static void stopEngine(platform::audio::CaptureEngine& engine);

    CaptureEngineFactory makeEngine_;
    DeviceID lastInputDevice_;
    std::unique_ptr<platform::audio::CaptureEngine> audioEngine_;
    // Lets a stream's termination handler find out whether the processor still exists.
    std::shared_ptr<AudioProcessor*> self_;

    mutable std::mutex mutex_; // guards everything below
    std::vector<float> audioSamples_;
    std::vector<EnergyRecord> audioEnergy_;
    std::int64_t relativeEnergyWindow_ = 20;
    AudioBufferCallback audioBufferCallback_;
    std::int64_t minBufferLength_ = 1600;
    bool isInputSuppressed_ = false;
};

} // namespace hushframe
