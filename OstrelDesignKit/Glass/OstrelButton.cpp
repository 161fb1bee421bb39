#include "OstrelDesignKit/Glass/OstrelButton.hpp"

#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace ostreldesignkit {

OstrelButton::OstrelButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFont(textStyleFont(TextStyle::control));
}

void OstrelButton::setActive(bool active) {
    style_.isActive = active;
    update();
}

QSize OstrelButton::sizeHint() const {
    const QSize text = QFontMetrics(font()).size(Qt::TextSingleLine, this->text());
    const QMarginsF pad = OstrelButtonStyle::padding();
    return QSize(int(std::ceil(text.width() + pad.left() + pad.right())),
                 int(std::ceil(text.height() + pad.top() + pad.bottom())));
}

void OstrelButton::paintEvent(QPaintEvent*) {
    const ButtonLook look = style_.look(isDown());
    QPainter painter(this);
    painter.setOpacity(look.opacity);
    look.paintBackground(painter, QRectF(rect()));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(QRectF(rect()).marginsRemoved(OstrelButtonStyle::padding()), Qt::AlignCenter, text());
}

} // namespace ostreldesignkit
