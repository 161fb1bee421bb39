#pragma once
// Small signal and file helpers shared by the audio tests.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace audiotest {

// Interleaved frames; channel c carries a sine of frequency hz * (c + 1).
std::vector<float> sine(double hz, double sampleRate, std::size_t frames, std::uint32_t channels = 1,
                        float amplitude = 0.5f);

// Writes interleaved float samples with libsndfile in the given SF_FORMAT_* combination.
void writeSoundFile(const std::filesystem::path& path, const std::vector<float>& interleaved, int sampleRate,
                    int channels, int format);

// Magnitude of the DFT of `samples` at `hz`.
double dftMagnitude(const std::vector<float>& samples, double sampleRate, double hz);

} // namespace audiotest
