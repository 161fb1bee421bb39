#include "RazeziRuzer/Shared/DoubleText.hpp"

#include <charconv>
#include <cmath>

namespace razeziruzer {

std::string doubleText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    std::string text(digits, error == std::errc{} ? end : digits);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

} // namespace razeziruzer
