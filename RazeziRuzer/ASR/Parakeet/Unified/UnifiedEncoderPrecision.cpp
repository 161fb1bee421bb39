#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"

#include <array>

namespace razeziruzer {
namespace {
constexpr std::array<UnifiedEncoderPrecision, 2> precisions{UnifiedEncoderPrecision::int8, UnifiedEncoderPrecision::fp16};
}

std::string_view rawValue(UnifiedEncoderPrecision precision) {
    return precision == UnifiedEncoderPrecision::fp16 ? "fp16" : "int8";
}

template <>
std::optional<UnifiedEncoderPrecision> fromRawValue<UnifiedEncoderPrecision>(std::string_view raw) {
    for (const auto precision : precisions) {
        if (rawValue(precision) == raw) return precision;
    }
    return std::nullopt;
}

template <>
std::span<const UnifiedEncoderPrecision> allCases<UnifiedEncoderPrecision>() { return precisions; }

} // namespace razeziruzer
