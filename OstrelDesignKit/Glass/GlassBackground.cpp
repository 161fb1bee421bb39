#include "OstrelDesignKit/Glass/GlassBackground.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QPainter>
#include <QPainterPath>

namespace ostreldesignkit {

GlassBackground GlassBackground::regular(double cornerRadius, double opacity) { return {cornerRadius, opacity, 0.08}; }
GlassBackground GlassBackground::compact(double cornerRadius, double opacity) { return {cornerRadius, opacity, 0.1}; }
GlassBackground GlassBackground::edgeToEdge(double opacity) { return {0, opacity, 0}; }

QColor GlassBackground::materialFill() { return Color::withOpacity(QColor(128, 128, 128), 0.15); }
QColor GlassBackground::tint() const { return Color::withOpacity(Qt::black, opacity); }
QColor GlassBackground::rim() const { return Color::withOpacity(Qt::white, rimOpacity); }

void GlassBackground::paint(QPainter& painter, const QRectF& rect) const {
    if (rect.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    painter.fillPath(shape, materialFill());
    painter.fillPath(shape, tint());
    if (rimOpacity > 0) {
        // A 1 pt line inside the edge: inset by half the line width.
        const QRectF inner = rect.adjusted(0.5, 0.5, -0.5, -0.5);
        const double radius = std::max(0.0, cornerRadius - 0.5);
        painter.setPen(QPen(rim(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(inner, radius, radius);
    }
    painter.restore();
}

} // namespace ostreldesignkit
