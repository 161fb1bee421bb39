#pragma once
// The text form log lines give a double: the shortest digits that read back
// as the same value, with ".0" after a whole number (48000 reads "48000.0").

#include <string>

namespace razeziruzer {

std::string doubleText(double value);

} // namespace razeziruzer
