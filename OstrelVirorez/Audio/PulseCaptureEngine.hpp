#pragma once
// The recorder's capture engine on the sound server: the platform's capture
// under the recorder's client name, its failures reported as
// AudioEngineError.

#include "OstrelVirorez/Audio/AudioCaptureEngine.hpp"

#include "Platform/Audio/PulseCaptureEngine.hpp"

namespace ostrelvirorez {

class PulseCaptureEngine final : public AudioCaptureEngine {
public:
    PulseCaptureEngine();

    void setInputDevice(const std::string& deviceIdentifier) override;
    std::string inputDevice() const override;
    platform::audio::AudioFormat inputFormat() override;
    void installTap(std::uint32_t bufferSize, const platform::audio::AudioFormat& format, TapBlock block) override;
    void removeTap() override;
    void start() override;
    void stop() override;

private:
    platform::audio::PulseCaptureEngine engine_;
};

} // namespace ostrelvirorez
