#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"

namespace ostrelvirorez {

QSizeF IndicatorPlacement::panelSize(IndicatorStyle style) {
    switch (style) {
    case IndicatorStyle::notch: return {500, 500};
    case IndicatorStyle::overlay: return {500, 300};
    case IndicatorStyle::minimal: return {420, 160};
    }
    return {500, 500};
}

QPointF IndicatorPlacement::panelOrigin(IndicatorStyle style, PillPosition position, QSizeF panel,
                                        const QRectF& frame, const QRectF& visibleFrame) {
    const double x = frame.center().x() - panel.width() / 2;
    if (style == IndicatorStyle::notch) return {x, frame.top()};
    if (position == PillPosition::dock) return {x, visibleFrame.bottom() - panel.height() - edgeMargin};
    // A free position stores no coordinates, so it stands where island does.
    return {x, visibleFrame.top() + edgeMargin};
}

} // namespace ostrelvirorez
