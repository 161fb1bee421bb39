#include "OstrelDesignKit/Symbols/SymbolGlyphs.hpp"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace ostreldesignkit::glyphs {
namespace {

constexpr double pi = std::numbers::pi;

bool isFilled(const QPainter& painter) { return painter.brush().style() != Qt::NoBrush; }

QColor inkOf(const QPainter& painter) { return painter.pen().color(); }

// Lines inside a shape: cut out of it when the shape is filled, drawn over it
// when it is only outlined.
template <typename Draw>
void details(QPainter& painter, Draw draw) {
    const bool cut = isFilled(painter);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (cut) painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    draw();
    painter.restore();
}

void dot(QPainter& painter, QPointF centre, double radius) {
    const QColor ink = inkOf(painter);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

void line(QPainter& painter, double x1, double y1, double x2, double y2) {
    painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void outlineOnly(QPainter& painter) { painter.setBrush(Qt::NoBrush); }

// An arrow head at `tip` pointing along `angle` (radians, y downward).
void arrowHead(QPainter& painter, QPointF tip, double angle, double length = 4) {
    const double spread = pi / 4;
    painter.drawLine(tip, tip - length * QPointF(std::cos(angle - spread), std::sin(angle - spread)));
    painter.drawLine(tip, tip - length * QPointF(std::cos(angle + spread), std::sin(angle + spread)));
}

QPointF onCircle(QPointF centre, double radius, double degrees) {
    const double a = degrees * pi / 180;
    return centre + radius * QPointF(std::cos(a), -std::sin(a));
}

// An arc in degrees, counter-clockwise from `start` by `sweep` (y up as Qt's arcs).
void arc(QPainter& painter, QPointF centre, double radius, double start, double sweep) {
    QPainterPath path;
    path.arcMoveTo(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), start);
    path.arcTo(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), start, sweep);
    painter.save();
    outlineOnly(painter);
    painter.drawPath(path);
    painter.restore();
}

QPainterPath starPath(QPointF centre, double outer, double inner) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double a = -pi / 2 + i * pi / 5;
        const QPointF point = centre + radius * QPointF(std::cos(a), std::sin(a));
        if (i == 0) path.moveTo(point);
        else path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

void page(QPainter& painter, const QRectF& rect) {
    painter.save();
    outlineOnly(painter);
    painter.drawRoundedRect(rect, 2, 2);
    painter.restore();
}

void rows(QPainter& painter, double left, double right, double top, int count, double step) {
    for (int i = 0; i < count; ++i) line(painter, left, top + i * step, right - (i == count - 1 ? 3 : 0), top + i * step);
}

void book(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(5, 3, 14, 18), 2, 2);
    line(painter, 8, 3, 8, 21);
}

} // namespace

void xmark(QPainter& painter) {
    line(painter, 5, 5, 19, 19);
    line(painter, 19, 5, 5, 19);
}

void checkmark(QPainter& painter) {
    QPainterPath tick;
    tick.moveTo(4, 12.5);
    tick.lineTo(9.5, 18);
    tick.lineTo(20, 6);
    outlineOnly(painter);
    painter.drawPath(tick);
}

void minus(QPainter& painter) { line(painter, 4, 12, 20, 12); }

void plus(QPainter& painter) {
    line(painter, 4, 12, 20, 12);
    line(painter, 12, 4, 12, 20);
}

void exclamationmark(QPainter& painter) {
    line(painter, 12, 3.5, 12, 15);
    dot(painter, QPointF(12, 19.5), 1.6);
}

void questionmark(QPainter& painter) {
    QPainterPath hook;
    hook.moveTo(7, 8);
    hook.cubicTo(7, 2.5, 17, 2.5, 17, 8);
    hook.cubicTo(17, 11.5, 12, 11.5, 12, 15);
    outlineOnly(painter);
    painter.drawPath(hook);
    dot(painter, QPointF(12, 19.5), 1.6);
}

void pause(QPainter& painter) {
    painter.save();
    QPen pen = painter.pen();
    pen.setWidthF(pen.widthF() * 1.8);
    painter.setPen(pen);
    line(painter, 9, 6, 9, 18);
    line(painter, 15, 6, 15, 18);
    painter.restore();
}

void arrowRight(QPainter& painter) {
    line(painter, 4, 12, 20, 12);
    arrowHead(painter, QPointF(20, 12), 0, 7);
}

void eye(QPainter& painter) {
    QPainterPath lid;
    lid.moveTo(2, 12);
    lid.quadTo(12, 2, 22, 12);
    lid.quadTo(12, 22, 2, 12);
    outlineOnly(painter);
    painter.drawPath(lid);
    painter.drawEllipse(QPointF(12, 12), 3.2, 3.2);
}

void magnifyingglass(QPainter& painter) {
    outlineOnly(painter);
    painter.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    line(painter, 14.8, 14.8, 21, 21);
}

void arrowUpAndDown(QPainter& painter) {
    line(painter, 12, 3, 12, 21);
    arrowHead(painter, QPointF(12, 3), -pi / 2, 5);
    arrowHead(painter, QPointF(12, 21), pi / 2, 5);
}

void expandArrows(QPainter& painter) {
    line(painter, 4, 4, 10, 10);
    line(painter, 20, 20, 14, 14);
    line(painter, 4, 4, 4, 10);
    line(painter, 4, 4, 10, 4);
    line(painter, 20, 20, 20, 14);
    line(painter, 20, 20, 14, 20);
}

void circularArrows(QPainter& painter) {
    const QPointF c(12, 12);
    arc(painter, c, 8, 20, 140);
    arc(painter, c, 8, 200, 140);
    arrowHead(painter, onCircle(c, 8, 160), pi * 0.62, 4);
    arrowHead(painter, onCircle(c, 8, 340), -pi * 0.38, 4);
}

void clockArrow(QPainter& painter) {
    const QPointF c(12.5, 12);
    arc(painter, c, 7.5, -200, 300);
    arrowHead(painter, onCircle(c, 7.5, 100), pi * 0.95, 3);
    line(painter, 12.5, 7.5, 12.5, 12);
    line(painter, 12.5, 12, 16, 14);
}

void gearshape(QPainter& painter) {
    const QPointF c(12, 12);
    QPainterPath wheel;
    constexpr int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double radius = (i % 4 == 0 || i % 4 == 1) ? 10 : 7.5;
        const double a = 2 * pi * (i + 0.5) / (teeth * 4);
        const QPointF point = c + radius * QPointF(std::cos(a), std::sin(a));
        if (i == 0) wheel.moveTo(point);
        else wheel.lineTo(point);
    }
    wheel.closeSubpath();
    outlineOnly(painter);
    painter.drawPath(wheel);
    painter.drawEllipse(c, 3, 3);
}

void gearWithArrows(QPainter& painter) {
    const QPointF c(12, 12);
    arc(painter, c, 10, 30, 120);
    arc(painter, c, 10, 210, 120);
    arrowHead(painter, onCircle(c, 10, 150), pi * 0.66, 3.5);
    arrowHead(painter, onCircle(c, 10, 330), -pi * 0.34, 3.5);
    painter.save();
    painter.translate(c);
    painter.scale(0.5, 0.5);
    painter.translate(-c);
    QPen pen = painter.pen();
    pen.setWidthF(pen.widthF() * 2);
    painter.setPen(pen);
    gearshape(painter);
    painter.restore();
}

void sidebarLeading(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(3, 5, 18, 14), 2.5, 2.5);
    line(painter, 9, 5, 9, 19);
    line(painter, 5, 8.5, 7, 8.5);
    line(painter, 5, 11.5, 7, 11.5);
}

void clipboard(QPainter& painter) {
    page(painter, QRectF(5, 4.5, 14, 17));
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawRoundedRect(QRectF(9, 2.5, 6, 4), 1.2, 1.2);
    painter.restore();
}

void docOnClipboard(QPainter& painter) {
    page(painter, QRectF(3.5, 4.5, 12, 16));
    line(painter, 7, 3.5, 12, 3.5);
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.drawRect(QRectF(10, 9, 12, 14));
    painter.restore();
    page(painter, QRectF(10.5, 9.5, 10, 12));
    rows(painter, 13, 18.5, 13.5, 3, 2.5);
}

void docText(QPainter& painter) {
    QPainterPath sheet;
    sheet.moveTo(5, 2.5);
    sheet.lineTo(14, 2.5);
    sheet.lineTo(19, 7.5);
    sheet.lineTo(19, 21.5);
    sheet.lineTo(5, 21.5);
    sheet.closeSubpath();
    painter.drawPath(sheet);
    details(painter, [&] { rows(painter, 8, 16, 11, 4, 2.8); });
}

void docRichtext(QPainter& painter) {
    page(painter, QRectF(5, 2.5, 14, 19));
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawRect(QRectF(8, 6, 4.5, 4.5));
    painter.restore();
    line(painter, 14.5, 7, 16, 7);
    line(painter, 14.5, 9.5, 16, 9.5);
    rows(painter, 8, 16, 13.5, 3, 2.6);
}

void noteText(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath note;
    note.moveTo(3.5, 4);
    note.lineTo(20.5, 4);
    note.lineTo(20.5, 15);
    note.lineTo(14.5, 20.5);
    note.lineTo(3.5, 20.5);
    note.closeSubpath();
    painter.drawPath(note);
    line(painter, 14.5, 20.5, 14.5, 15);
    line(painter, 14.5, 15, 20.5, 15);
    rows(painter, 7, 17, 8.5, 3, 3);
}

void keyboard(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(2, 6, 20, 12), 2, 2);
    for (int row = 0; row < 2; ++row) {
        for (int key = 0; key < 5; ++key) dot(painter, QPointF(5.5 + key * 3.25, 9.5 + row * 2.8), 0.9);
    }
    line(painter, 8, 15, 16, 15);
}

void wandAndStars(QPainter& painter) {
    line(painter, 3, 21, 14, 10);
    line(painter, 12.5, 9, 15, 11.5);
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawPath(starPath(QPointF(17.5, 6), 3.5, 1.4));
    painter.drawPath(starPath(QPointF(9, 5), 2, 0.8));
    painter.drawPath(starPath(QPointF(20, 15), 2, 0.8));
    painter.restore();
}

void textBookClosed(QPainter& painter) {
    book(painter);
    line(painter, 11, 8, 16, 8);
    line(painter, 11, 11, 16, 11);
}

void characterBookClosed(QPainter& painter) {
    book(painter);
    QPainterPath letter;
    letter.moveTo(10.5, 15);
    letter.lineTo(13.5, 7);
    letter.lineTo(16.5, 15);
    letter.moveTo(11.6, 12.2);
    letter.lineTo(15.4, 12.2);
    painter.drawPath(letter);
}

void scroll(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath sheet;
    sheet.moveTo(7, 20.5);
    sheet.lineTo(7, 5.5);
    sheet.cubicTo(7, 3, 9, 3, 9, 3);
    sheet.lineTo(19, 3);
    sheet.cubicTo(21, 3, 21, 6.5, 19, 6.5);
    sheet.lineTo(17, 6.5);
    sheet.lineTo(17, 18.5);
    sheet.cubicTo(17, 21, 15, 21, 15, 21);
    sheet.lineTo(5, 21);
    sheet.cubicTo(3, 21, 3, 17.5, 5, 17.5);
    sheet.lineTo(7, 17.5);
    painter.drawPath(sheet);
    rows(painter, 10, 14, 9, 3, 2.8);
}

void waveformPathEcg(QPainter& painter) {
    QPainterPath trace;
    trace.moveTo(2, 12);
    trace.lineTo(7, 12);
    trace.lineTo(9, 7);
    trace.lineTo(12, 19);
    trace.lineTo(15, 4);
    trace.lineTo(17, 12);
    trace.lineTo(22, 12);
    outlineOnly(painter);
    painter.drawPath(trace);
}

void trash(QPainter& painter) {
    outlineOnly(painter);
    line(painter, 3.5, 6, 20.5, 6);
    QPainterPath can;
    can.moveTo(5.5, 6);
    can.lineTo(7, 21);
    can.lineTo(17, 21);
    can.lineTo(18.5, 6);
    painter.drawPath(can);
    QPainterPath handle;
    handle.moveTo(9, 6);
    handle.lineTo(9.5, 3);
    handle.lineTo(14.5, 3);
    handle.lineTo(15, 6);
    painter.drawPath(handle);
    line(painter, 10, 9.5, 10.4, 17.5);
    line(painter, 14, 9.5, 13.6, 17.5);
}

void eyeSlash(QPainter& painter) {
    eye(painter);
    painter.save();
    QPen gap = painter.pen();
    gap.setWidthF(gap.widthF() * 2.8);
    painter.setPen(gap);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    line(painter, 4, 3, 20, 21);
    painter.restore();
    line(painter, 4, 3, 20, 21);
}

void star(QPainter& painter) { painter.drawPath(starPath(QPointF(12, 12.8), 10, 4.2)); }

void pencil(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath body;
    body.moveTo(15, 4);
    body.lineTo(20, 9);
    body.lineTo(8.5, 20.5);
    body.lineTo(3, 21);
    body.lineTo(3.5, 15.5);
    body.closeSubpath();
    painter.drawPath(body);
    line(painter, 12.5, 6.5, 17.5, 11.5);
}

void film(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(4, 3, 16, 18), 2, 2);
    line(painter, 8, 3, 8, 21);
    line(painter, 16, 3, 16, 21);
    line(painter, 8, 12, 16, 12);
    for (int i = 0; i < 3; ++i) {
        line(painter, 4, 7 + i * 5, 8, 7 + i * 5);
        line(painter, 16, 7 + i * 5, 20, 7 + i * 5);
    }
}

void app(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 4.5, 4.5);
}

void circle(QPainter& painter) {
    outlineOnly(painter);
    painter.drawEllipse(QPointF(12, 12), 9.5, 9.5);
}

void largecircleFillCircle(QPainter& painter) {
    circle(painter);
    dot(painter, QPointF(12, 12), 5.5);
}

void circleDotted(QPainter& painter) {
    constexpr int dots = 12;
    for (int i = 0; i < dots; ++i) dot(painter, onCircle(QPointF(12, 12), 9.5, i * 360.0 / dots), 1.1);
}

void circleLefthalfFilled(QPainter& painter) {
    circle(painter);
    QPainterPath half;
    half.moveTo(12, 2.5);
    half.arcTo(QRectF(2.5, 2.5, 19, 19), 90, 180);
    half.closeSubpath();
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawPath(half);
    painter.restore();
}

void envelope(QPainter& painter) {
    painter.drawRoundedRect(QRectF(2.5, 5, 19, 14), 2, 2);
    details(painter, [&] {
        QPainterPath flap;
        flap.moveTo(3.5, 6.5);
        flap.lineTo(12, 13);
        flap.lineTo(20.5, 6.5);
        painter.drawPath(flap);
    });
}

void bubbleLeft(QPainter& painter) {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(2.5, 3.5, 19, 13.5), 4.5, 4.5);
    QPainterPath tail;
    tail.moveTo(5, 15);
    tail.lineTo(4, 21);
    tail.lineTo(10.5, 16.5);
    tail.closeSubpath();
    painter.drawPath(bubble.united(tail));
}

void textBubble(QPainter& painter) {
    outlineOnly(painter);
    bubbleLeft(painter);
    line(painter, 7, 8, 17, 8);
    line(painter, 7, 11.5, 14, 11.5);
}

void megaphone(QPainter& painter) {
    QPainterPath horn;
    horn.moveTo(3, 9);
    horn.lineTo(8, 9);
    horn.lineTo(18, 3.5);
    horn.lineTo(18, 19.5);
    horn.lineTo(8, 14);
    horn.lineTo(3, 14);
    horn.closeSubpath();
    painter.drawPath(horn);
    painter.save();
    outlineOnly(painter);
    QPainterPath handle;
    handle.moveTo(5.5, 14);
    handle.lineTo(7, 20);
    handle.lineTo(9.5, 20);
    handle.lineTo(9, 15);
    painter.drawPath(handle);
    line(painter, 20.5, 9, 21.5, 9);
    line(painter, 20.5, 14, 21.5, 14);
    painter.restore();
}

void codeBrackets(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath marks;
    marks.moveTo(7.5, 6.5);
    marks.lineTo(2.5, 12);
    marks.lineTo(7.5, 17.5);
    marks.moveTo(16.5, 6.5);
    marks.lineTo(21.5, 12);
    marks.lineTo(16.5, 17.5);
    marks.moveTo(14, 4);
    marks.lineTo(10, 20);
    painter.drawPath(marks);
}

void handRaised(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath hand;
    hand.moveTo(7, 13);
    hand.lineTo(7, 6);
    hand.moveTo(10, 11.5);
    hand.lineTo(10, 3.5);
    hand.moveTo(13, 11.5);
    hand.lineTo(13, 3.5);
    hand.moveTo(16, 12);
    hand.lineTo(16, 5.5);
    hand.moveTo(16, 12);
    hand.lineTo(18.5, 9);
    hand.moveTo(7, 13);
    hand.cubicTo(7, 19, 9, 21.5, 12, 21.5);
    hand.cubicTo(15.5, 21.5, 17, 18.5, 18.5, 14);
    hand.lineTo(18.5, 9);
    painter.drawPath(hand);
}

void handTap(QPainter& painter) {
    outlineOnly(painter);
    arc(painter, QPointF(10, 7), 4.5, 0, 180);
    QPainterPath finger;
    finger.moveTo(8.5, 16);
    finger.lineTo(8.5, 7);
    finger.cubicTo(8.5, 5, 11.5, 5, 11.5, 7);
    finger.lineTo(11.5, 12);
    finger.lineTo(17, 13);
    finger.cubicTo(19, 13.5, 19, 15, 18.5, 17);
    finger.lineTo(17.5, 21.5);
    finger.lineTo(10.5, 21.5);
    finger.lineTo(6, 16.5);
    painter.drawPath(finger);
}

void lockShield(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath shield;
    shield.moveTo(12, 2.5);
    shield.lineTo(20, 5.5);
    shield.cubicTo(20, 14, 17, 19, 12, 21.5);
    shield.cubicTo(7, 19, 4, 14, 4, 5.5);
    shield.closeSubpath();
    painter.drawPath(shield);
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawRoundedRect(QRectF(9, 11, 6, 5), 1, 1);
    painter.restore();
    arc(painter, QPointF(12, 11), 2, 0, 180);
}

void cpu(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 2, 2);
    painter.drawRect(QRectF(9, 9, 6, 6));
    for (int i = 0; i < 3; ++i) {
        const double at = 8.5 + i * 3.5;
        line(painter, at, 2, at, 5.5);
        line(painter, at, 18.5, at, 22);
        line(painter, 2, at, 5.5, at);
        line(painter, 18.5, at, 22, at);
    }
}

void globe(QPainter& painter) {
    circle(painter);
    painter.drawEllipse(QPointF(12, 12), 4, 9.5);
    line(painter, 2.5, 12, 21.5, 12);
    line(painter, 4, 7, 20, 7);
    line(painter, 4, 17, 20, 17);
}

void antennaRadiowaves(QPainter& painter) {
    dot(painter, QPointF(12, 10), 2);
    line(painter, 12, 12, 12, 21);
    arc(painter, QPointF(12, 10), 5, 120, 120);
    arc(painter, QPointF(12, 10), 5, -60, 120);
    arc(painter, QPointF(12, 10), 9, 130, 100);
    arc(painter, QPointF(12, 10), 9, -50, 100);
}

namespace {
void speakerBody(QPainter& painter) {
    QPainterPath body;
    body.moveTo(2.5, 9);
    body.lineTo(6.5, 9);
    body.lineTo(11.5, 4.5);
    body.lineTo(11.5, 19.5);
    body.lineTo(6.5, 15);
    body.lineTo(2.5, 15);
    body.closeSubpath();
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawPath(body);
    painter.restore();
}
} // namespace

void speakerWave(QPainter& painter) {
    speakerBody(painter);
    arc(painter, QPointF(12, 12), 4, -45, 90);
    arc(painter, QPointF(12, 12), 8, -50, 100);
}

void speakerMinus(QPainter& painter) {
    speakerBody(painter);
    line(painter, 15, 12, 21.5, 12);
}

void sliders(QPainter& painter) {
    for (int i = 0; i < 3; ++i) {
        const double y = 6 + i * 6;
        line(painter, 3, y, 21, y);
        const double knob = i == 1 ? 15 : (i == 0 ? 8 : 11);
        painter.save();
        painter.setBrush(inkOf(painter));
        painter.drawEllipse(QPointF(knob, y), 2.2, 2.2);
        painter.restore();
    }
}

void textformatSize(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath letters;
    letters.moveTo(2.5, 19);
    letters.lineTo(5.5, 11);
    letters.lineTo(8.5, 19);
    letters.moveTo(3.6, 16);
    letters.lineTo(7.4, 16);
    letters.moveTo(10, 19);
    letters.lineTo(15.5, 4.5);
    letters.lineTo(21, 19);
    letters.moveTo(12, 14);
    letters.lineTo(19, 14);
    painter.drawPath(letters);
}

void textformat(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath letters;
    // A capital A.
    letters.moveTo(2, 19);
    letters.lineTo(7.5, 4.5);
    letters.lineTo(13, 19);
    letters.moveTo(4, 14);
    letters.lineTo(11, 14);
    // A small a: its bowl and its stem.
    letters.addEllipse(QPointF(18, 15.5), 3, 3.5);
    letters.moveTo(21, 10.5);
    letters.lineTo(21, 19);
    painter.drawPath(letters);
}

void brainHeadProfile(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath head;
    // Neck, back of the head, crown, forehead, nose, chin.
    head.moveTo(7, 21.5);
    head.lineTo(7, 17);
    head.cubicTo(4, 15, 3, 12, 3, 10);
    head.cubicTo(3, 5, 7, 2, 12, 2);
    head.cubicTo(17, 2, 20, 5.5, 20, 9.5);
    head.lineTo(21.5, 13);
    head.lineTo(19.5, 13.5);
    head.lineTo(19.5, 16.5);
    head.cubicTo(19.5, 18, 18.5, 18.5, 17, 18.5);
    head.lineTo(15, 18.5);
    head.lineTo(15, 21.5);
    painter.drawPath(head);
    QPainterPath brain;
    // The folds of the brain inside the skull.
    brain.moveTo(8, 11);
    brain.cubicTo(6.5, 11, 6.5, 8, 8.5, 8);
    brain.cubicTo(8.5, 5.5, 12, 5, 12.5, 7);
    brain.cubicTo(14, 5.5, 16.5, 7, 15.5, 9);
    brain.cubicTo(17, 10, 16, 12.5, 14, 12);
    brain.cubicTo(13, 13.5, 10, 13.5, 9.5, 12);
    brain.moveTo(12, 9);
    brain.lineTo(12, 12.5);
    painter.drawPath(brain);
}

void textLines(QPainter& painter) {
    line(painter, 3, 6, 21, 6);
    line(painter, 3, 12, 21, 12);
    line(painter, 3, 18, 14, 18);
}

void quoteOpening(QPainter& painter) {
    for (const double x : {4.5, 13.5}) {
        painter.save();
        painter.setBrush(inkOf(painter));
        painter.drawEllipse(QPointF(x + 2.5, 14.5), 3, 3);
        painter.restore();
        QPainterPath tail;
        tail.moveTo(x - 0.5, 14.5);
        tail.cubicTo(x - 0.5, 9, x + 2, 6.5, x + 5, 6);
        outlineOnly(painter);
        painter.drawPath(tail);
    }
}

void paragraphsign(QPainter& painter) {
    QPainterPath bowl;
    bowl.moveTo(12, 3.5);
    bowl.lineTo(8.5, 3.5);
    bowl.cubicTo(3.5, 3.5, 3.5, 12, 8.5, 12);
    bowl.lineTo(12, 12);
    bowl.closeSubpath();
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawPath(bowl);
    painter.restore();
    line(painter, 12, 3.5, 12, 20.5);
    line(painter, 16.5, 3.5, 16.5, 20.5);
    line(painter, 12, 3.5, 19, 3.5);
}

void paintpalette(QPainter& painter) {
    QPainterPath palette;
    palette.moveTo(12, 2.5);
    palette.cubicTo(5, 2.5, 2.5, 8, 2.5, 12);
    palette.cubicTo(2.5, 18, 7, 21.5, 12, 21.5);
    palette.cubicTo(14.5, 21.5, 14.5, 18, 13, 16.5);
    palette.cubicTo(11.5, 14.5, 13.5, 13, 15.5, 13.5);
    palette.cubicTo(19, 14.5, 21.5, 13, 21.5, 10);
    palette.cubicTo(21.5, 5.5, 17, 2.5, 12, 2.5);
    outlineOnly(painter);
    painter.drawPath(palette);
    dot(painter, QPointF(7.5, 11), 1.6);
    dot(painter, QPointF(10, 6.8), 1.6);
    dot(painter, QPointF(15, 6.8), 1.6);
}

void timer(QPainter& painter) {
    const QPointF c(12, 13);
    outlineOnly(painter);
    painter.drawEllipse(c, 8.5, 8.5);
    line(painter, 12, 13, 15.5, 9.5);
    line(painter, 10, 2.5, 14, 2.5);
    line(painter, 12, 2.5, 12, 4.5);
}

void menubarRectangle(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(2.5, 4, 19, 16), 2.5, 2.5);
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawRect(QRectF(3, 4.5, 18, 3.5));
    painter.restore();
}

void dockRectangle(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(2.5, 4, 19, 16), 2.5, 2.5);
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawRoundedRect(QRectF(6, 15.5, 12, 2.5), 1, 1);
    painter.restore();
}

void rectangleInsetFilled(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRoundedRect(QRectF(2.5, 4, 19, 16), 2.5, 2.5);
    painter.save();
    painter.setBrush(inkOf(painter));
    painter.drawRoundedRect(QRectF(5.5, 7, 13, 10), 1.2, 1.2);
    painter.restore();
}

void capslock(QPainter& painter) {
    outlineOnly(painter);
    QPainterPath arrow;
    arrow.moveTo(12, 3);
    arrow.lineTo(21, 12);
    arrow.lineTo(16, 12);
    arrow.lineTo(16, 16);
    arrow.lineTo(8, 16);
    arrow.lineTo(8, 12);
    arrow.lineTo(3, 12);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    painter.drawRect(QRectF(8, 19, 8, 2));
}

void command(QPainter& painter) {
    outlineOnly(painter);
    painter.drawRect(QRectF(9, 9, 6, 6));
    for (const QPointF corner : {QPointF(9, 9), QPointF(15, 9), QPointF(15, 15), QPointF(9, 15)}) {
        const QPointF out((corner.x() < 12 ? -3 : 3), (corner.y() < 12 ? -3 : 3));
        painter.drawEllipse(corner + out, 3, 3);
    }
}

void seal(QPainter& painter) {
    QPainterPath rosette;
    constexpr int points = 24;
    for (int i = 0; i < points; ++i) {
        const double radius = i % 2 == 0 ? 10.5 : 8.5;
        const double a = 2 * pi * i / points;
        const QPointF point = QPointF(12, 12) + radius * QPointF(std::cos(a), std::sin(a));
        if (i == 0) rosette.moveTo(point);
        else rosette.lineTo(point);
    }
    rosette.closeSubpath();
    painter.drawPath(rosette);
}

void triangle(QPainter& painter) {
    QPainterPath shape;
    shape.moveTo(12, 2.5);
    shape.lineTo(22, 20.5);
    shape.lineTo(2, 20.5);
    shape.closeSubpath();
    painter.drawPath(shape);
}

} // namespace ostreldesignkit::glyphs
