#include "RazeziRuzer/ParakeetEncoderPrecision.hpp"

#include <array>

namespace razeziruzer {

namespace {
constexpr std::array<ParakeetEncoderPrecision, 2> cases{ParakeetEncoderPrecision::int8,
                                                        ParakeetEncoderPrecision::int4};
}

std::string_view rawValue(ParakeetEncoderPrecision precision) {
    return precision == ParakeetEncoderPrecision::int4 ? "int4" : "int8";
}

std::string_view encoderFileName(ParakeetEncoderPrecision precision) {
    return precision == ParakeetEncoderPrecision::int4 ? "EncoderInt4.mlmodelc" : "Encoder.mlmodelc";
}

template <>
std::optional<ParakeetEncoderPrecision> fromRawValue<ParakeetEncoderPrecision>(std::string_view raw) {
    for (const auto precision : cases) {
        if (rawValue(precision) == raw) return precision;
    }
    return std::nullopt;
}

template <>
std::span<const ParakeetEncoderPrecision> allCases<ParakeetEncoderPrecision>() {
    return cases;
}

} // namespace razeziruzer
