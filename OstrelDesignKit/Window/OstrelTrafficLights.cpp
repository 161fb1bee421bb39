#include "OstrelDesignKit/Window/OstrelTrafficLights.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace ostreldesignkit {
namespace {

QRectF lightRect(size_t index) {
    const double x = double(index) * (TrafficLightLook::diameter + TrafficLightLook::spacing);
    return QRectF(x, 0, TrafficLightLook::diameter, TrafficLightLook::diameter);
}

} // namespace

QColor TrafficLightLook::idle() { return Color::withOpacity(Qt::white, 0.22); }

QColor TrafficLightLook::hovered(TrafficLight light) {
    switch (light) {
    case TrafficLight::close: return QColor::fromRgbF(1.0f, 0.373f, 0.341f);
    case TrafficLight::minimise: return QColor::fromRgbF(0.996f, 0.737f, 0.18f);
    case TrafficLight::zoom: return QColor::fromRgbF(0.157f, 0.784f, 0.251f);
    }
    return idle();
}

const char* TrafficLightLook::glyph(TrafficLight light) {
    switch (light) {
    case TrafficLight::close: return "xmark";
    case TrafficLight::minimise: return "minus";
    case TrafficLight::zoom: return "arrow.up.left.and.arrow.down.right";
    }
    return "";
}

OstrelTrafficLights::OstrelTrafficLights(QWidget* parent) : QWidget(parent) { setFixedSize(sizeHint()); }

QSize OstrelTrafficLights::sizeHint() const {
    const QRectF last = lightRect(lights.size() - 1);
    return QSize(int(std::ceil(last.right())), int(std::ceil(last.bottom())));
}

std::optional<TrafficLight> OstrelTrafficLights::lightAt(QPointF pos) {
    for (size_t i = 0; i < lights.size(); ++i) {
        if (lightRect(i).contains(pos)) return lights[i];
    }
    return std::nullopt;
}

void OstrelTrafficLights::press(TrafficLight light) {
    QWidget* host = window();
    if (!host || host == this) return;
    switch (light) {
    case TrafficLight::close: host->close(); break;
    case TrafficLight::minimise: host->showMinimized(); break;
    case TrafficLight::zoom: host->isMaximized() ? host->showNormal() : host->showMaximized(); break;
    }
}

void OstrelTrafficLights::setHovering(bool hovering) {
    hovering_ = hovering;
    update();
}

void OstrelTrafficLights::enterEvent(QEnterEvent*) { setHovering(true); }
void OstrelTrafficLights::leaveEvent(QEvent*) { setHovering(false); }

void OstrelTrafficLights::mouseReleaseEvent(QMouseEvent* event) {
    if (const auto light = lightAt(event->position())) press(*light);
}

void OstrelTrafficLights::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < lights.size(); ++i) {
        const QRectF dot = lightRect(i);
        painter.setBrush(TrafficLightLook::color(lights[i], hovering_));
        painter.drawEllipse(dot);
        if (!hovering_) continue;
        const int glyphSize = 7;
        const QImage glyph =
            SymbolImage::render(TrafficLightLook::glyph(lights[i]), glyphSize, Color::withOpacity(Qt::black, 0.55));
        painter.drawImage(dot.center() - QPointF(glyphSize / 2.0, glyphSize / 2.0), glyph);
    }
}

} // namespace ostreldesignkit
