#include "OstrelVirorez/UI/General/WholePercent.hpp"

#include <cmath>

namespace ostrelvirorez::general {

std::string wholePercent(double fraction) {
    return std::to_string(static_cast<long long>(std::trunc(fraction * 100))) + "%";
}

} // namespace ostrelvirorez::general
