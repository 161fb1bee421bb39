#include "OstrelVirorez/UI/Indicator/GlowBorder.hpp"

#include <QPainter>

#include <algorithm>

namespace ostrelvirorez {
namespace {

double mix(double off, double on, double breath) { return off + (on - off) * breath; }
constexpr int blurLayers = 8;

} // namespace

double GlowBorder::intensity() const { return double(std::min(3.0f * level, 1.0f)); }
double GlowBorder::lineWidth() const { return mix(5, 7, breath) + 5 * intensity(); }
double GlowBorder::blurRadius() const { return 5 * intensity() + mix(8, 11, breath); }
double GlowBorder::opacity() const { return 0.25 * intensity() + mix(0.65, 0.75, breath); }

void GlowBorder::paint(QPainter& painter, const QRectF& rect) const {
    const double width = lineWidth();
    const QPainterPath outline = NotchShape{cornerRadius, 0}.inset(width / 2).path(rect);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity());
    for (int layer = blurLayers; layer >= 1; --layer) {
        const double spread = blurRadius() * layer / blurLayers;
        QColor halo = color;
        halo.setAlphaF(float(color.alphaF() / (blurLayers + 1)));
        painter.strokePath(outline, QPen(halo, width + 2 * spread, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    }
    painter.strokePath(outline, QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.restore();
}

} // namespace ostrelvirorez
