#pragma once
// The full-bleed background of a translucent window: the stand-in for the
// behind-window blur (the kit's faint material fill) with the caller's tint
// laid over it at the caller's opacity. No rim, no corners.

#include <QColor>
#include <QRectF>

class QPainter;

namespace ostreldesignkit {

struct OstrelHudBackground {
    QColor color;
    double opacity = 0;

    // `color` at `opacity`, the layer over the blur stand-in.
    QColor tint() const;

    // Draws the blur stand-in, then the tint, exactly over `rect`.
    void paint(QPainter& painter, const QRectF& rect) const;
};

} // namespace ostreldesignkit
