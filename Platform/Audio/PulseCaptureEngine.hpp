#pragma once
// The capture engine on the sound server: a record stream from the chosen
// source (or the default one) in float samples at the source's own rate and
// channel count, cut into blocks of the tap's size on the connection's thread.
// The connection is made on first use, under the given client name.

#include "Platform/Audio/CaptureEngine.hpp"
#include "Platform/Audio/PulseConnection.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::audio {

class PulseCaptureEngine final : public CaptureEngine {
public:
    explicit PulseCaptureEngine(std::string clientName);
    ~PulseCaptureEngine() override;
    PulseCaptureEngine(const PulseCaptureEngine&) = delete;
    PulseCaptureEngine& operator=(const PulseCaptureEngine&) = delete;

    void setInputDevice(const std::string& deviceIdentifier) override;
    std::string inputDevice() const override;
    AudioFormat inputFormat() override;
    void installTap(std::uint32_t bufferSize, const AudioFormat& format, TapBlock block) override;
    void removeTap() override;
    void start() override;
    void stop() override;

private:
    struct Tap {
        std::uint32_t bufferSize;
        AudioFormat format;
        TapBlock block;
    };

    PulseConnection& connection();
    // With the loop lock held.
    std::string resolvedSourceName(PulseConnection& connection) const;
    static std::optional<pa_sample_spec> sourceSpec(PulseConnection& connection, const std::string& source);
    void disconnectStream(); // lock held
    void readAvailable();    // capture thread
    void deliverBlocks(bool includePartial);
    static void onStreamState(pa_stream* stream, void* userdata);
    static void onStreamRead(pa_stream* stream, size_t bytes, void* userdata);

    std::string clientName_;
    std::unique_ptr<PulseConnection> connection_;
    std::string deviceIdentifier_;       // caller's thread only
    pa_stream* stream_ = nullptr;        // loop lock
    std::optional<Tap> tap_;             // loop lock
    std::vector<float> gathered_;        // interleaved frames of an unfinished block; loop lock
};

} // namespace platform::audio
