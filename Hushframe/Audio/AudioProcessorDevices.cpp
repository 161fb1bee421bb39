// The type-level services of live capture: the input devices, the
// permission to record, and waveform pictures.

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "PelluxCore/Logging.hpp"
#include "Platform/Audio/CaptureSource.hpp"

#include <cmath>
#include <cstring>

namespace hushframe {

using pelluxcore::Logging;

std::vector<AudioDevice> AudioProcessor::getAudioDevices() {
    const auto connection = platform::audio::PulseConnection::connect("Hushframe Devices");
    if (!connection) {
        Logging::error("Error: Unable to get the number of audio devices.");
        return {};
    }
    const auto sources = platform::audio::listCaptureSources(*connection);
    if (!sources) {
        Logging::error("Error: Unable to get the audio device IDs.");
        return {};
    }
    std::vector<AudioDevice> devices;
    devices.reserve(sources->size());
    for (const auto& source : *sources) devices.push_back({source.index, source.description});
    return devices;
}

bool AudioProcessor::requestRecordPermission() { return true; }

std::optional<WaveformImage> AudioProcessor::createWaveformImage(std::span<const float> fromAudio, double width,
                                                                 double height) {
    constexpr double largest = 1 << 20;
    if (!std::isfinite(width) || !std::isfinite(height) || width < 1 || height < 1 || width > largest ||
        height > largest) {
        return std::nullopt;
    }
    const auto columns = static_cast<std::int64_t>(width);
    const auto rows = static_cast<std::int64_t>(height);
    const auto pixels = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
    if (fromAudio.size() < pixels) return std::nullopt;
    WaveformImage image{columns, rows, columns * 4, std::vector<std::uint8_t>(pixels * sizeof(float))};
    std::memcpy(image.pixels.data(), fromAudio.data(), image.pixels.size());
    return image;
}

} // namespace hushframe
