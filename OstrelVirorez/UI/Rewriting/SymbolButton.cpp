#include "OstrelVirorez/UI/Rewriting/SymbolButton.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include <QPainter>

namespace ostrelvirorez {

SymbolButton::SymbolButton(std::string symbol, int pointSize, QColor color, std::optional<QSize> frame,
                           QWidget* parent)
    : QAbstractButton(parent), symbol_(std::move(symbol)), pointSize_(pointSize), color_(color), frame_(frame) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

void SymbolButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    update();
}

void SymbolButton::setColor(const QColor& color) {
    color_ = color;
    update();
}

QSize SymbolButton::sizeHint() const { return frame_.value_or(QSize(pointSize_ + 4, pointSize_ + 4)); }

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A disabled button keeps its colour but fades, as plain buttons do.
    painter.setOpacity(isEnabled() ? (isDown() ? 0.6 : 1.0) : 0.4);
    const QImage image = ostreldesignkit::SymbolImage::render(symbol_, pointSize_, color_);
    painter.drawImage(QPointF((width() - pointSize_) / 2.0, (height() - pointSize_) / 2.0), image);
}

} // namespace ostrelvirorez
