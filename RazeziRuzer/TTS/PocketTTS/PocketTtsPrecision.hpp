#pragma once
// Precision of the PocketTTS flow language model step.

#include <cstdint>

namespace razeziruzer {

enum class PocketTtsPrecision : std::uint8_t { fp16, int8 };

} // namespace razeziruzer
