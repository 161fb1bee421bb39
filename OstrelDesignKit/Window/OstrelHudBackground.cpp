#include "OstrelDesignKit/Window/OstrelHudBackground.hpp"

#include "OstrelDesignKit/Glass/GlassBackground.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QPainter>

namespace ostreldesignkit {

QColor OstrelHudBackground::tint() const { return Color::withOpacity(color, opacity); }

void OstrelHudBackground::paint(QPainter& painter, const QRectF& rect) const {
    painter.fillRect(rect, GlassBackground::materialFill());
    painter.fillRect(rect, tint());
}

} // namespace ostreldesignkit
