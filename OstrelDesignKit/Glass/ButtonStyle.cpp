#include "OstrelDesignKit/Glass/ButtonStyle.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QPainter>
#include <QPainterPath>

namespace ostreldesignkit {
namespace {

constexpr double pressedOpacity = 0.8;

} // namespace

void ButtonLook::paintBackground(QPainter& painter, const QRectF& rect) const {
    if (rect.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF inner = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    if (circle) {
        shape.addEllipse(rect);
    } else {
        shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    }
    painter.fillPath(shape, fill);
    painter.setPen(QPen(rim, 1));
    painter.setBrush(Qt::NoBrush);
    if (circle) {
        painter.drawEllipse(inner);
    } else {
        painter.drawRoundedRect(inner, cornerRadius - 0.5, cornerRadius - 0.5);
    }
    painter.restore();
}

QMarginsF OstrelButtonStyle::padding() { return {12, 8, 12, 8}; }

ButtonLook OstrelButtonStyle::look(bool pressed) const {
    return {isActive ? Color::ostrelAccentBackground() : QColor(Qt::transparent),
            Color::withOpacity(Qt::white, pressed ? 0.15 : 0.08), pressed ? pressedOpacity : 1.0, cornerRadius, false};
}

ButtonLook OstrelIconButtonStyle::look(bool pressed) const {
    return {pressed ? Color::ostrelSelection() : QColor(Qt::transparent), Color::withOpacity(Qt::white, 0.08),
            pressed ? pressedOpacity : 1.0, size / 2, true};
}

} // namespace ostreldesignkit
