#pragma once
// The kit's frosted backgrounds: a rounded card with a hairline rim (regular
// and compact) or a full-bleed rectangle without rim (edge to edge). Behind-
// window blur has no portable equivalent, so a faint translucent material fill
// stands in for it, darkened by black at the caller's opacity.

#include <QColor>
#include <QRectF>

class QPainter;

namespace ostreldesignkit {

struct GlassBackground {
    double cornerRadius = 0;
    double opacity = 0;
    double rimOpacity = 0; // 0 draws no rim

    static GlassBackground regular(double cornerRadius, double opacity);
    static GlassBackground compact(double cornerRadius, double opacity);
    static GlassBackground edgeToEdge(double opacity);

    // The stand-in for the thinnest background blur.
    static QColor materialFill();
    QColor tint() const;
    QColor rim() const;

    // Draws the layers back to front exactly inside `rect`.
    void paint(QPainter& painter, const QRectF& rect) const;
};

} // namespace ostreldesignkit
