#include "OstrelDesignKit/Glass/OstrelIconButton.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include <QPainter>

#include <cmath>

namespace ostreldesignkit {
namespace {

constexpr double symbolShare = 0.5; // of the button's side

} // namespace

OstrelIconButton::OstrelIconButton(std::string symbol, OstrelIconButtonStyle style, QWidget* parent)
    : QAbstractButton(parent), symbol_(std::move(symbol)), style_(style) {
    setFixedSize(sizeHint());
}

QSize OstrelIconButton::sizeHint() const {
    const int side = int(std::ceil(style_.size));
    return QSize(side, side);
}

void OstrelIconButton::paintEvent(QPaintEvent*) {
    const ButtonLook look = style_.look(isDown());
    QPainter painter(this);
    painter.setOpacity(look.opacity);
    const QRectF square(0, 0, style_.size, style_.size);
    look.paintBackground(painter, square);
    const int symbolSize = int(style_.size * symbolShare);
    const QImage image = SymbolImage::render(symbol_, symbolSize, palette().color(QPalette::ButtonText));
    painter.drawImage(QPointF((style_.size - symbolSize) / 2, (style_.size - symbolSize) / 2), image);
}

} // namespace ostreldesignkit
