#include "OstrelDesignKit/Glass/OstrelButton.hpp"

#include "OstrelDesignKit/Glass/ButtonLabel.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QPainter>

#include <utility>

namespace ostreldesignkit {

OstrelButton::OstrelButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFont(textStyleFont(TextStyle::control));
}

void OstrelButton::setActive(bool active) {
    style_.isActive = active;
    update();
}

void OstrelButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    updateGeometry();
    update();
}

QSize OstrelButton::sizeHint() const {
    return ButtonLabel{text(), symbol_}.sizeHint(font(), OstrelButtonStyle::padding());
}

void OstrelButton::paintEvent(QPaintEvent*) {
    const ButtonLook look = style_.look(isDown());
    QPainter painter(this);
    painter.setOpacity(look.opacity);
    look.paintBackground(painter, QRectF(rect()));
    ButtonLabel{text(), symbol_}.paint(painter, QRectF(rect()), font(), OstrelButtonStyle::padding(),
                                       palette().color(QPalette::ButtonText));
}

} // namespace ostreldesignkit
