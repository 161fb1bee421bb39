#include "OstrelDesignKit/Glass/GlassFrame.hpp"

#include <QPainter>

namespace ostreldesignkit {

GlassFrame::GlassFrame(GlassBackground glass, QWidget* parent) : QWidget(parent), glass_(glass) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void GlassFrame::setGlass(const GlassBackground& glass) {
    glass_ = glass;
    update();
}

void GlassFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    glass_.paint(painter, QRectF(rect()));
}

} // namespace ostreldesignkit
