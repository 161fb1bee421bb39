#include "OstrelDesignKit/Layout/FlowArrangement.hpp"

#include <algorithm>
#include <limits>

namespace ostreldesignkit {

FlowArrangement arrangeFlow(std::optional<double> offeredWidth, std::span<const QSizeF> childSizes, double spacing) {
    const double available = offeredWidth.value_or(std::numeric_limits<double>::infinity());
    FlowArrangement result;
    double x = 0;
    double y = 0;
    double lineHeight = 0;
    double widest = 0;
    for (const QSizeF& child : childSizes) {
        if (x > 0 && x + child.width() > available) {
            y += lineHeight + spacing;
            x = 0;
            lineHeight = 0;
        }
        result.positions.emplace_back(x, y);
        lineHeight = std::max(lineHeight, child.height());
        // The right edge of the child, not of the gap after it: the width
        // reported must be what the children cover.
        widest = std::max(widest, x + child.width());
        x += child.width() + spacing;
    }
    result.size = QSizeF(widest, childSizes.empty() ? 0 : y + lineHeight);
    return result;
}

} // namespace ostreldesignkit
