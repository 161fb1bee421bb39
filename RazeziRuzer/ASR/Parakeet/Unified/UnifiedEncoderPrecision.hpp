#pragma once
// Encoder precision of the unified offline and streaming recogniser.

#include <cstdint>

namespace razeziruzer {

enum class UnifiedEncoderPrecision : std::uint8_t { int8, fp16 };

} // namespace razeziruzer
