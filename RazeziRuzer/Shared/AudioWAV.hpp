#pragma once
// Encodes float samples as the bytes of a complete 16-bit PCM mono WAV file,
// the form in which the synthesizers hand out their audio.

#include <cstdint>
#include <span>
#include <vector>

namespace razeziruzer {

class AudioWAV {
public:
    AudioWAV() = delete;

    // With `normalize`, samples are first divided by the largest magnitude
    // (when above 0). Samples at or above 1 store 32767; others store
    // max(x, -1) * 32767 truncated toward zero; a NaN sample stores silence.
    // Throws AudioConverterError(conversionFailed) when the rate or the
    // length cannot be written into the header's 32-bit fields.
    static std::vector<std::uint8_t> data(std::span<const float> from, double sampleRate, bool normalize);

    // The 16-bit value of one (already normalised) sample.
    static std::int16_t quantize(float sample);
};

} // namespace razeziruzer
