#pragma once
// A real-size Parakeet preprocessor bundle: 16 kHz samples to 128 log-mel
// bands every 160 samples (a 512-point transform of 400-sample Hann windows,
// centred), normalised per band over the valid frames and zero past them.
// The window is 240,000 samples, or any length up to that when flexible.

#include <filesystem>

namespace parakeetbench {

void writeMelPreprocessor(const std::filesystem::path& folder, bool flexible);

} // namespace parakeetbench
