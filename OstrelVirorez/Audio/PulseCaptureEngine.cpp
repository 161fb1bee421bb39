#include "OstrelVirorez/Audio/PulseCaptureEngine.hpp"

#include "OstrelVirorez/Audio/AudioEngineError.hpp"

#include "Platform/Audio/CaptureError.hpp"

namespace ostrelvirorez {

PulseCaptureEngine::PulseCaptureEngine() : engine_("OstrelVirorez Recorder") {}

void PulseCaptureEngine::setInputDevice(const std::string& deviceIdentifier) {
    engine_.setInputDevice(deviceIdentifier);
}

std::string PulseCaptureEngine::inputDevice() const { return engine_.inputDevice(); }

platform::audio::AudioFormat PulseCaptureEngine::inputFormat() {
    try {
        return engine_.inputFormat();
    } catch (const platform::audio::CaptureError& error) {
        throw AudioEngineError(error.description());
    }
}

void PulseCaptureEngine::installTap(std::uint32_t bufferSize, const platform::audio::AudioFormat& format,
                                    TapBlock block) {
    engine_.installTap(bufferSize, format, std::move(block));
}

void PulseCaptureEngine::removeTap() { engine_.removeTap(); }

void PulseCaptureEngine::start() {
    try {
        engine_.start();
    } catch (const platform::audio::CaptureError& error) {
        throw AudioEngineError(error.description());
    }
}

void PulseCaptureEngine::stop() { engine_.stop(); }

} // namespace ostrelvirorez
