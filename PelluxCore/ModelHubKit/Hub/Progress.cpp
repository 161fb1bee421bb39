#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"

#include <cstdio>

namespace modelhubkit {

std::string Progress::debugDescription() const
{
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, "%.2f", fractionCompleted);
    return "Progress(fractionCompleted: " + std::string(fraction) + ", completedUnitCount: " +
           std::to_string(completedUnitCount) + ", totalUnitCount: " + std::to_string(totalUnitCount) + ")";
}

} // namespace modelhubkit
