#include "OstrelDesignKit/Symbols/SymbolDrawings.hpp"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <utility>

namespace ostreldesignkit {
namespace {

void drawMicrophoneStand(QPainter& painter) {
    QPainterPath cradle;
    cradle.moveTo(6, 11);
    cradle.cubicTo(6, 19, 18, 19, 18, 11);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cradle);
    painter.drawLine(QPointF(12, 17), QPointF(12, 20.5));
    painter.drawLine(QPointF(8.5, 20.5), QPointF(15.5, 20.5));
}

void drawMicrophone(QPainter& painter, bool filled) {
    const QBrush brush = painter.brush();
    painter.setBrush(filled ? brush : Qt::NoBrush);
    painter.drawRoundedRect(QRectF(9, 2.5, 6, 11.5), 3, 3);
    drawMicrophoneStand(painter);
    painter.setBrush(brush);
}

void drawMic(QPainter& painter) { drawMicrophone(painter, false); }
void drawMicFill(QPainter& painter) { drawMicrophone(painter, true); }

// A four-pointed star whose points reach `radius` from `centre`.
QPainterPath sparkle(QPointF centre, double radius) {
    const double waist = radius * 0.22;
    QPainterPath star;
    star.moveTo(centre.x(), centre.y() - radius);
    star.quadTo(centre.x() + waist, centre.y() - waist, centre.x() + radius, centre.y());
    star.quadTo(centre.x() + waist, centre.y() + waist, centre.x(), centre.y() + radius);
    star.quadTo(centre.x() - waist, centre.y() + waist, centre.x() - radius, centre.y());
    star.quadTo(centre.x() - waist, centre.y() - waist, centre.x(), centre.y() - radius);
    star.closeSubpath();
    return star;
}

void drawSparkles(QPainter& painter) {
    painter.drawPath(sparkle(QPointF(10, 13.5), 8));
    painter.drawPath(sparkle(QPointF(18.5, 5.5), 3.5));
    painter.drawPath(sparkle(QPointF(19, 18.5), 2.5));
}

void drawWaveform(QPainter& painter) {
    constexpr std::array<std::pair<double, double>, 7> bars{
        {{3, 5}, {6, 10}, {9, 16}, {12, 8}, {15, 13}, {18, 9}, {21, 4}}};
    for (const auto& [x, height] : bars) {
        painter.drawLine(QPointF(x, 12 - height / 2), QPointF(x, 12 + height / 2));
    }
}

void drawTextCursor(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(12, 4.5), QPointF(12, 19.5));
    QPainterPath serifs;
    serifs.moveTo(8, 3);
    serifs.quadTo(12, 3, 12, 4.5);
    serifs.quadTo(12, 3, 16, 3);
    serifs.moveTo(8, 21);
    serifs.quadTo(12, 21, 12, 19.5);
    serifs.quadTo(12, 21, 16, 21);
    painter.drawPath(serifs);
}

void drawCheckmarkCircle(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    QPainterPath tick;
    tick.moveTo(7.5, 12.5);
    tick.lineTo(10.8, 15.8);
    tick.lineTo(16.8, 8.8);
    painter.drawPath(tick);
}

void drawExclamationmarkTriangle(QPainter& painter) {
    const QBrush brush = painter.brush();
    painter.setBrush(Qt::NoBrush);
    QPainterPath triangle;
    triangle.moveTo(12, 2.5);
    triangle.lineTo(22, 20.5);
    triangle.lineTo(2, 20.5);
    triangle.closeSubpath();
    painter.drawPath(triangle);
    painter.drawLine(QPointF(12, 9), QPointF(12, 14));
    painter.setBrush(brush);
    painter.drawEllipse(QPointF(12, 17.2), 1.1, 1.1);
}

constexpr std::array<std::pair<std::string_view, SymbolDrawing>, 7> drawings{{
    {"mic", drawMic},
    {"mic.fill", drawMicFill},
    {"sparkles", drawSparkles},
    {"waveform", drawWaveform},
    {"text.cursor", drawTextCursor},
    {"checkmark.circle", drawCheckmarkCircle},
    {"exclamationmark.triangle", drawExclamationmarkTriangle},
}};

} // namespace

SymbolDrawing findSymbolDrawing(std::string_view name) {
    for (const auto& [symbolName, drawing] : drawings) {
        if (symbolName == name) return drawing;
    }
    return nullptr;
}

} // namespace ostreldesignkit
