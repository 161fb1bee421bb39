#pragma once
// Writes float samples as a 16-bit PCM WAV file. Each sample is clipped to
// [-1, 1], scaled by 32767 and rounded; NaN becomes silence. The file is
// written beside the target under a temporary name and renamed into place,
// so a failed write leaves no half-written file at the path.

#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <filesystem>
#include <span>

namespace platform::audio {

class WavWriter {
public:
    // Interleaved frames of `channelCount` channels. Throws AudioError:
    // invalidArgument (no channels, a partial frame, a rate that is not a
    // positive whole-number-sized value) or writeFailed (with the path).
    static void write(const std::filesystem::path& path, std::span<const float> interleavedSamples, double sampleRate,
                      std::uint32_t channelCount);
    // The buffer's valid frames, all channels, at its rate.
    static void write(const std::filesystem::path& path, const PCMBuffer& buffer);

    // The 16-bit value a sample is stored as.
    static std::int16_t quantize(float sample);
};

} // namespace platform::audio
