#pragma once
// Records the microphone for one dictation at a time: every captured block is
// converted on the fly to 16 kHz mono float and kept in memory, the input
// level is reported at most 30 times a second, and a stop hands over the whole
// recording as one buffer.

#include "OstrelVirorez/App/Ports/AudioRecording.hpp"
#include "OstrelVirorez/Audio/AudioCaptureEngine.hpp"

#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Concurrency/Clock.hpp"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace ostrelvirorez {

class AudioRecorder final : public AudioRecording {
public:
    using LevelCallback = std::function<void(float)>;

    // Captures through the sound server.
    AudioRecorder();
    AudioRecorder(std::unique_ptr<AudioCaptureEngine> engine, const platform::Clock& clock);
    ~AudioRecorder() override;
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    // Does nothing while recording. Throws RecorderError, or the engine's own
    // error when capture cannot begin; a failed start leaves the recorder idle.
    void startRecording() override;
    // The whole recording; absent when none was running or nothing was captured.
    std::optional<platform::audio::PCMBuffer> stopRecording() override;
    // What has been captured so far, while recording; recording continues.
    std::optional<platform::audio::PCMBuffer> snapshotBuffer() override;

    // Called on the capture thread with each level value (0…1).
    void setOnLevelUpdate(LevelCallback callback) override;
    // The source with this server index from the next start on; 0 is the
    // system default, so choosing it after a microphone goes back to the
    // server's default source.
    void setInputDevice(std::uint32_t deviceID) override;

    // The owner chooses the input on it before a start.
    AudioCaptureEngine& engine() { return *engine_; }

    static constexpr std::uint32_t tapBufferSize = 1024;
    static constexpr double levelUpdateInterval = 1.0 / 30.0;

private:
    void processBuffer(const platform::audio::PCMBuffer& buffer);
    void updateLevel(const platform::audio::PCMBuffer& buffer);
    void convertBlock(const platform::audio::PCMBuffer& buffer);
    void drainConverter();
    // Runs the converter on `input` until it asks for more, keeping every
    // converted block of at most `capacity` frames.
    void convertAll(std::uint32_t capacity, const platform::audio::AudioConverterInputBlock& input,
                    const char* noMemoryReason);
    void append(platform::audio::PCMBuffer&& converted);
    void logFailedConversion(const std::string& reason) const;
    std::optional<platform::audio::PCMBuffer> mergeBuffers() const; // lock held

    std::unique_ptr<AudioCaptureEngine> engine_;
    const platform::Clock& clock_;
    std::unique_ptr<platform::audio::AudioConverter> converter_;
    std::vector<platform::audio::PCMBuffer> accumulatedBuffers_;
    bool isCurrentlyRecording_ = false;
    mutable std::mutex lock_;
    mutable std::mutex levelCallbackLock_;
    LevelCallback onLevelUpdate_;
    std::optional<platform::Clock::TimePoint> lastLevelUpdate_;
    std::optional<platform::audio::AudioFormat> targetFormat_;
    platform::Clock::TimePoint recordStartMonotonic_{};
    bool firstBufferLogged_ = false;
};

} // namespace ostrelvirorez
