#include "OstrelDesignKit/Glass/ButtonLabel.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRectF>

#include <cmath>

namespace ostreldesignkit {
namespace {

// The width the symbol and its spacing take before the title.
double symbolAdvance(const ButtonLabel& label, int textHeight) {
    return label.symbol.empty() ? 0 : textHeight + ButtonLabel::symbolSpacing;
}

} // namespace

QSize ButtonLabel::sizeHint(const QFont& font, const QMarginsF& padding) const {
    const QSize text = QFontMetrics(font).size(Qt::TextSingleLine, title);
    return QSize(int(std::ceil(symbolAdvance(*this, text.height()) + text.width() + padding.left() + padding.right())),
                 int(std::ceil(text.height() + padding.top() + padding.bottom())));
}

void ButtonLabel::paint(QPainter& painter, const QRectF& bounds, const QFont& font, const QMarginsF& padding,
                        const QColor& color) const {
    const QRectF inner = bounds.marginsRemoved(padding);
    painter.setFont(font);
    painter.setPen(color);
    if (symbol.empty()) {
        painter.drawText(inner, Qt::AlignCenter, title);
        return;
    }
    const QFontMetrics metrics(font);
    const int side = metrics.height();
    const double width = symbolAdvance(*this, side) + metrics.horizontalAdvance(title);
    const double left = inner.center().x() - width / 2;
    const QRectF symbolBox(left, inner.center().y() - side / 2.0, side, side);
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage image = SymbolImage::render(symbol, int(std::ceil(side * scale)), color);
    image.setDevicePixelRatio(scale);
    painter.drawImage(symbolBox, image);
    const QRectF textBox(left + symbolAdvance(*this, side), inner.top(), width, inner.height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, title);
}

} // namespace ostreldesignkit
