#pragma once
// Encoder precision of the unified offline and streaming recogniser.

#include "RazeziRuzer/Shared/RawValue.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace razeziruzer {

enum class UnifiedEncoderPrecision : std::uint8_t { int8, fp16 };

std::string_view rawValue(UnifiedEncoderPrecision precision);
template <>
std::optional<UnifiedEncoderPrecision> fromRawValue<UnifiedEncoderPrecision>(std::string_view rawValue);
template <>
std::span<const UnifiedEncoderPrecision> allCases<UnifiedEncoderPrecision>();

} // namespace razeziruzer
