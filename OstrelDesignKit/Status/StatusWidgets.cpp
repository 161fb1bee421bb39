#include "OstrelDesignKit/Status/StatusWidgets.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QGraphicsDropShadowEffect>

#include <memory>

#include <cmath>

namespace ostreldesignkit {
namespace {

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

} // namespace

OstrelSectionHeader::OstrelSectionHeader(const QString& title, QWidget* parent) : QLabel(title, parent) {
    setFont(sectionHeaderFont());
    setTextColor(*this, sectionHeaderColor());
}

OstrelStatusDotWidget::OstrelStatusDotWidget(OstrelStatusDot dot, QWidget* parent) : QWidget(parent) { setDot(dot); }

void OstrelStatusDotWidget::setDot(const OstrelStatusDot& dot) {
    dot_ = dot;
    setFixedSize(int(std::ceil(dot_.size)), int(std::ceil(dot_.size)));
    // The halo is an effect outside the layout frame, centred (no offset).
    auto halo = std::make_unique<QGraphicsDropShadowEffect>();
    halo->setColor(dot_.haloColor());
    halo->setBlurRadius(dot_.haloRadius());
    halo->setOffset(0, 0);
    setGraphicsEffect(halo.release()); // the widget owns its effect
    update();
}

void OstrelStatusDotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot_.color);
    painter.drawEllipse(QRectF(0, 0, dot_.size, dot_.size));
}

OstrelPillBadgeWidget::OstrelPillBadgeWidget(OstrelPillBadge badge, QWidget* parent)
    : QWidget(parent), badge_(std::move(badge)) {}

QSize OstrelPillBadgeWidget::sizeHint() const {
    const QFontMetricsF metrics(badge_.font());
    const QMarginsF pad = OstrelPillBadge::padding();
    return QSize(int(std::ceil(metrics.horizontalAdvance(badge_.shownText()) + pad.left() + pad.right())),
                 int(std::ceil(metrics.height() + pad.top() + pad.bottom())));
}

void OstrelPillBadgeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(rect());
    const double radius = area.height() / 2;
    QPainterPath capsule;
    capsule.addRoundedRect(area, radius, radius);
    painter.fillPath(capsule, badge_.fill());
    painter.setFont(badge_.font());
    painter.setPen(badge_.textColor());
    painter.drawText(area.marginsRemoved(OstrelPillBadge::padding()), Qt::AlignCenter, badge_.shownText());
}

OstrelCountBadgeWidget::OstrelCountBadgeWidget(OstrelCountBadge badge, QWidget* parent)
    : QLabel(badge.shownText(), parent) {
    setFont(badge.font());
    setTextColor(*this, badge.tint);
}

OstrelDividerWidget::OstrelDividerWidget(QWidget* parent) : QWidget(parent) {
    setFixedHeight(int(OstrelDividerLook::thickness));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void OstrelDividerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(OstrelDividerLook::sideInset, 0, OstrelDividerLook::length(width()),
                            OstrelDividerLook::thickness),
                     Color::ostrelDivider());
}

} // namespace ostreldesignkit
