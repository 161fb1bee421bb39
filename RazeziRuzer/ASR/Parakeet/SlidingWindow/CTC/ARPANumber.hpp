#pragma once
// Reads one whole field of an ARPA line as a 32-bit float, the same in every
// locale: an optional sign, then decimal or "0x" hexadecimal digits with an
// optional exponent, or infinity or NaN.

#include <optional>
#include <string_view>

namespace razeziruzer {

// Absent unless the whole field is the number, with nothing around it. A
// magnitude beyond the float range (within the double range) reads as
// infinity, one below it as zero.
std::optional<float> parseARPANumber(std::string_view field);

} // namespace razeziruzer
