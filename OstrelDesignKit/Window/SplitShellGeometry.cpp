#include "OstrelDesignKit/Window/SplitShellGeometry.hpp"

namespace ostreldesignkit {

SplitShellGeometry SplitShellGeometry::make(QSizeF size, double sidebarWidth, double reveal) {
    const double column = sidebarWidth + 2 * cardMargin;
    const double rowShare = handleWidth - handleOverlap;
    const double leading = reveal * (column + rowShare);
    SplitShellGeometry geometry;
    geometry.sidebarCard = QRectF(cardMargin - (1 - reveal) * column, cardMargin, sidebarWidth,
                                  size.height() - 2 * cardMargin);
    geometry.handle = QRectF(reveal * column - handleOverlap, 0, handleWidth, size.height());
    geometry.content = QRectF(leading, 0, size.width() - leading, size.height());
    return geometry;
}

} // namespace ostreldesignkit
