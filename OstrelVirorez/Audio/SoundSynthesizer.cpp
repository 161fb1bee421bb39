#include "OstrelVirorez/Audio/SoundSynthesizer.hpp"

#include "OstrelVirorez/App/Log.hpp"

#include "Platform/Audio/WavWriter.hpp"
#include "Platform/Core/Error.hpp"

#include <cmath>
#include <numbers>
#include <string>
#include <system_error>

namespace ostrelvirorez {
namespace {

struct Tone {
    double start;      // seconds
    double duration;   // seconds
    double fromHz;
    double toHz;       // a glide when it differs from fromHz
    double amplitude;
    double decay;      // per second, of the exponential envelope
};

std::vector<Tone> tones(SoundEvent event) {
    switch (event) {
    case SoundEvent::recordingStartClaude: // two rising blips
        return {{0.0, 0.07, 880, 880, 0.35, 30}, {0.08, 0.09, 1320, 1320, 0.35, 30}};
    case SoundEvent::recordingStop: // a short falling pop
        return {{0.0, 0.12, 700, 350, 0.45, 28}};
    case SoundEvent::done: // a bright double tick
        return {{0.0, 0.04, 1568, 1568, 0.3, 60}, {0.05, 0.07, 2093, 2093, 0.3, 45}};
    case SoundEvent::error: // a low thud with an overtone
        return {{0.0, 0.25, 150, 110, 0.55, 14}, {0.0, 0.12, 300, 220, 0.2, 25}};
    }
    return {};
}

} // namespace

std::vector<float> SoundSynthesizer::samples(SoundEvent event) {
    const std::vector<Tone> parts = tones(event);
    double length = 0;
    for (const Tone& tone : parts) length = std::max(length, tone.start + tone.duration);
    std::vector<float> result(static_cast<std::size_t>(std::ceil(length * sampleRate)), 0.0f);
    constexpr double attack = 0.004; // avoids a click at the onset
    for (const Tone& tone : parts) {
        const auto first = static_cast<std::size_t>(tone.start * sampleRate);
        const auto count = static_cast<std::size_t>(tone.duration * sampleRate);
        double phase = 0;
        for (std::size_t index = 0; index < count && first + index < result.size(); ++index) {
            const double t = static_cast<double>(index) / sampleRate;
            const double frequency = tone.fromHz + (tone.toHz - tone.fromHz) * t / tone.duration;
            phase += 2 * std::numbers::pi * frequency / sampleRate;
            const double envelope = std::min(1.0, t / attack) * std::exp(-tone.decay * t) *
                                    std::min(1.0, (tone.duration - t) / attack);
            result[first + index] += static_cast<float>(tone.amplitude * envelope * std::sin(phase));
        }
    }
    return result;
}

void SoundSynthesizer::writeMissingFiles(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const SoundEvent event : allSoundEvents) {
        const auto file = folder / (std::string(rawValue(event)) + ".wav");
        if (std::filesystem::exists(file, error)) continue;
        try {
            platform::audio::WavWriter::write(file, samples(event), sampleRate, 1);
        } catch (const platform::Error& failure) {
            logVirorez("Sound file could not be made: " + file.string() + ": " + failure.description());
        }
    }
}

} // namespace ostrelvirorez
