#include "OstrelDesignKit/Chips/OstrelChip.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace ostreldesignkit {
namespace {

constexpr int chipIconSize = 12;
constexpr double labelSize = 14;
constexpr int rowSpacing = 4;

} // namespace

OstrelChip::OstrelChip(const QString& label, std::optional<std::string> icon, OstrelChipChrome chrome, QWidget* parent)
    : QAbstractButton(parent), chrome_(std::move(chrome)), icon_(std::move(icon)), row_(new QHBoxLayout(this)),
      textLabel_(new QLabel(label, this)) {
    setText(label);
    row_->setSpacing(rowSpacing);
    const QMarginsF pad = chrome_.padding();
    row_->setContentsMargins(int(pad.left()), int(pad.top()), int(pad.right()), int(pad.bottom()));
    if (icon_) {
        iconLabel_ = new QLabel(this); // owned by this widget
        row_->addWidget(iconLabel_);
    }
    row_->addWidget(textLabel_);
    for (QLabel* child : {iconLabel_, textLabel_}) {
        if (child) child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    restyle();
}

void OstrelChip::setSelected(bool selected) {
    chrome_.isSelected = selected;
    restyle();
}

void OstrelChip::setTrailing(QWidget* accessory) {
    accessory->setParent(this);
    accessory->setAttribute(Qt::WA_TransparentForMouseEvents);
    row_->addWidget(accessory);
}

QSize OstrelChip::sizeHint() const { return row_->sizeHint(); }

void OstrelChip::restyle() {
    const QColor color = textColor();
    textLabel_->setFont(ostrelFont(labelSize, chrome_.isSelected ? OstrelFontWeight::demiBold : OstrelFontWeight::medium));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    setPalette(palette);
    if (iconLabel_) iconLabel_->setPixmap(QPixmap::fromImage(SymbolImage::render(*icon_, chipIconSize, color)));
    update();
}

void OstrelChip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) restyle();
    QAbstractButton::changeEvent(event);
}

bool OstrelChip::hitButton(const QPoint& pos) const {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), OstrelChipChrome::cornerRadius, OstrelChipChrome::cornerRadius);
    return shape.contains(QPointF(pos));
}

void OstrelChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), OstrelChipChrome::cornerRadius, OstrelChipChrome::cornerRadius);
    painter.fillPath(shape, chrome_.fill());
    painter.setPen(QPen(chrome_.outline(), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), OstrelChipChrome::cornerRadius - 0.5,
                            OstrelChipChrome::cornerRadius - 0.5);
}

} // namespace ostreldesignkit
