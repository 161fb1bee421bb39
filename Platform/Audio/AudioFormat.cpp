#include "Platform/Audio/AudioFormat.hpp"

#include <cmath>
#include <sstream>

namespace platform::audio {

std::optional<AudioFormat> AudioFormat::make(CommonFormat commonFormat, double sampleRate, std::uint32_t channelCount,
                                             bool interleaved) {
    if (!std::isfinite(sampleRate) || sampleRate <= 0 || channelCount == 0) {
        return std::nullopt;
    }
    return AudioFormat(commonFormat, sampleRate, channelCount, interleaved);
}

std::optional<AudioFormat> AudioFormat::standard(double sampleRate, std::uint32_t channelCount) {
    return make(CommonFormat::pcmFormatFloat32, sampleRate, channelCount, false);
}

AudioFormat AudioFormat::standard() {
    return AudioFormat(CommonFormat::pcmFormatFloat32, 16000.0, 1, false);
}

std::uint32_t AudioFormat::bytesPerSample() const {
    switch (commonFormat_) {
    case CommonFormat::pcmFormatFloat32:
        return 4;
    case CommonFormat::pcmFormatInt16:
        return 2;
    case CommonFormat::otherFormat:
        break;
    }
    return 0;
}

std::uint32_t AudioFormat::bytesPerFrame() const {
    return interleaved_ ? bytesPerSample() * channelCount_ : bytesPerSample();
}

std::string AudioFormat::description() const {
    std::ostringstream text;
    text << "<AudioFormat " << channelCount_ << " ch, " << sampleRate_ << " Hz, ";
    switch (commonFormat_) {
    case CommonFormat::pcmFormatFloat32:
        text << "Float32";
        break;
    case CommonFormat::pcmFormatInt16:
        text << "Int16";
        break;
    case CommonFormat::otherFormat:
        text << "other";
        break;
    }
    text << (interleaved_ ? ", interleaved>" : ", deinterleaved>");
    return text.str();
}

} // namespace platform::audio
