#include "OstrelDesignKit/Window/SidebarResize.hpp"

#include <algorithm>
#include <cmath>

namespace ostreldesignkit {

void SidebarResize::dragChanged(double travel) {
    if (!dragStartWidth_ && std::abs(travel) < minimumTravel) return;
    const double start = dragStartWidth_.value_or(width_);
    dragStartWidth_ = start;
    // The upper limit is applied last, so it wins over a crossed lower one.
    width_ = std::min(std::max(start + travel, minWidth_), maxWidth_);
}

} // namespace ostreldesignkit
