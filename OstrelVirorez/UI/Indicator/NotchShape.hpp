#pragma once
// The outline of a panel hanging from the top edge of the display: square top
// corners, bottom corners as single quadratic curves whose control point is
// the rectangle's corner.

#include <QPainterPath>
#include <QRectF>

namespace ostrelvirorez {

struct NotchShape {
    double bottomCornerRadius = 0;
    double insetAmount = 0;

    QPainterPath path(const QRectF& rect) const;
    NotchShape inset(double amount) const { return {bottomCornerRadius, insetAmount + amount}; }
};

} // namespace ostrelvirorez
