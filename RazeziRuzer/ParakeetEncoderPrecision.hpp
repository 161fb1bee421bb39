#pragma once
// Precision of the Parakeet TDT v3 encoder and the bundle that holds it.

#include "RazeziRuzer/Shared/RawValue.hpp"

#include <cstdint>
#include <string_view>

namespace razeziruzer {

enum class ParakeetEncoderPrecision : std::uint8_t { int8, int4 };

std::string_view rawValue(ParakeetEncoderPrecision precision);
std::string_view encoderFileName(ParakeetEncoderPrecision precision);

template <>
std::optional<ParakeetEncoderPrecision> fromRawValue<ParakeetEncoderPrecision>(std::string_view rawValue);
template <>
std::span<const ParakeetEncoderPrecision> allCases<ParakeetEncoderPrecision>();

} // namespace razeziruzer
