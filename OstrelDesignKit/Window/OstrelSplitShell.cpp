#include "OstrelDesignKit/Window/OstrelSplitShell.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Window/OstrelHudBackground.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace ostreldesignkit {
namespace {

// The transparent strip at the card's edge. Travel is measured on the
// screen, because the strip itself moves with the edge it drags.
class ResizeHandle final : public QWidget {
public:
    explicit ResizeHandle(OstrelSplitShell& shell) : QWidget(&shell), shell_(shell) {
        setCursor(Qt::SizeHorCursor);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        pressX_ = event->globalPosition().x();
        dragging_ = true;
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (dragging_) shell_.sidebarDragChanged(event->globalPosition().x() - pressX_);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !dragging_) return;
        dragging_ = false;
        shell_.sidebarDragEnded();
    }

private:
    OstrelSplitShell& shell_;
    double pressX_ = 0;
    bool dragging_ = false;
};

} // namespace

OstrelSplitShell::OstrelSplitShell(const ShellColors& colors, double minSidebarWidth, double idealSidebarWidth,
                                   double maxSidebarWidth, QWidget* sidebar, QWidget* content, QWidget* parent)
    : QWidget(parent),
      colors_(colors),
      resize_(idealSidebarWidth, minSidebarWidth, maxSidebarWidth),
      sidebar_(sidebar),
      content_(content),
      handle_(new ResizeHandle(*this)) {
    sidebar_->setParent(this);
    content_->setParent(this);
    handle_->raise(); // over the card's margin and the sidebar's edge
    animation_.setDuration(collapseDurationMs);
    animation_.setEasingCurve(QEasingCurve::InOutQuad);
    QObject::connect(&animation_, &QVariantAnimation::valueChanged, this,
                     [this](const QVariant& value) { setReveal(value.toDouble()); });
    placeChildren();
}

void OstrelSplitShell::setColors(const ShellColors& colors) {
    colors_ = colors;
    update();
}

void OstrelSplitShell::setSidebarCollapsed(bool collapsed, bool animated) {
    if (collapsed == collapsed_) return;
    collapsed_ = collapsed;
    animation_.stop();
    const double target = collapsed ? 0 : 1;
    if (!animated) {
        setReveal(target);
        return;
    }
    animation_.setStartValue(reveal_);
    animation_.setEndValue(target);
    animation_.start();
}

SplitShellGeometry OstrelSplitShell::geometry() const {
    return SplitShellGeometry::make(QSizeF(size()), resize_.width(), reveal_);
}

void OstrelSplitShell::sidebarDragChanged(double travel) {
    resize_.dragChanged(travel);
    placeChildren();
    update();
}

void OstrelSplitShell::sidebarDragEnded() { resize_.dragEnded(); }

void OstrelSplitShell::setReveal(double reveal) {
    reveal_ = reveal;
    placeChildren();
    update();
}

void OstrelSplitShell::placeChildren() {
    const SplitShellGeometry parts = geometry();
    const bool shown = reveal_ > 0;
    sidebar_->setVisible(shown);
    sidebar_->setGeometry(parts.sidebarCard.toRect());
    // The strip takes drags only while the sidebar stands fully in place.
    handle_->setVisible(!collapsed_ && reveal_ >= 1);
    handle_->setGeometry(parts.handle.toRect());
    content_->setGeometry(parts.content.toRect());
}

void OstrelSplitShell::resizeEvent(QResizeEvent*) { placeChildren(); }

void OstrelSplitShell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    OstrelHudBackground{colors_.baseColor, colors_.baseOpacity}.paint(painter, QRectF(rect()));
    if (reveal_ <= 0) return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = geometry().sidebarCard;
    QPainterPath shape;
    shape.addRoundedRect(card, cardCornerRadius, cardCornerRadius);
    painter.fillPath(shape, Color::withOpacity(colors_.sidebarCardColor, colors_.sidebarCardOpacity));
    painter.setPen(QPen(Color::withOpacity(Qt::white, cardRimOpacity), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cardCornerRadius - 0.5, cardCornerRadius - 0.5);
}

} // namespace ostreldesignkit
