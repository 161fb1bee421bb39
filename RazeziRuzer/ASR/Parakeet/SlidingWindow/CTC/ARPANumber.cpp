#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPANumber.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace razeziruzer {

namespace {

// `digits` is unsigned text; the whole of it must be consumed.
template <typename Float>
std::optional<Float> parseWhole(std::string_view digits, std::chars_format format) {
    Float value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, format);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

std::optional<float> parseUnsigned(std::string_view digits) {
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') return std::nullopt;
    auto format = std::chars_format::general;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        format = std::chars_format::hex;
        if (digits.front() == '+' || digits.front() == '-') return std::nullopt;
    }
    if (const auto value = parseWhole<float>(digits, format)) return value;
    // Out of the float range: the nearest float is infinity or zero.
    if (const auto wide = parseWhole<double>(digits, format)) return static_cast<float>(*wide);
    return std::nullopt;
}

} // namespace

std::optional<float> parseARPANumber(std::string_view field) {
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    const auto magnitude = parseUnsigned(field);
    if (!magnitude) return std::nullopt;
    return negative ? -*magnitude : *magnitude;
}

} // namespace razeziruzer
