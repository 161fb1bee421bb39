#pragma once
// A fraction shown as a whole percentage ("20%"): the fractional part of the
// percentage is dropped, never rounded.

#include <string>

namespace ostrelvirorez::general {

std::string wholePercent(double fraction);

} // namespace ostrelvirorez::general
