#include "OstrelVirorez/UI/Indicator/NotchShape.hpp"

#include <algorithm>

namespace ostrelvirorez {

QPainterPath NotchShape::path(const QRectF& rect) const {
    const QRectF r = rect.adjusted(insetAmount, insetAmount, -insetAmount, -insetAmount);
    const double radius = std::max(bottomCornerRadius - insetAmount, 0.0);
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom() - radius);
    path.quadTo(QPointF(r.right(), r.bottom()), QPointF(r.right() - radius, r.bottom()));
    path.lineTo(r.left() + radius, r.bottom());
    path.quadTo(QPointF(r.left(), r.bottom()), QPointF(r.left(), r.bottom() - radius));
    path.lineTo(r.left(), r.top());
    path.closeSubpath();
    return path;
}

} // namespace ostrelvirorez
