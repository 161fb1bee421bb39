#include "OstrelDesignKit/Symbols/SymbolDrawings.hpp"

#include "OstrelDesignKit/Symbols/SymbolGlyphs.hpp"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <map>
#include <string>
#include <utility>

namespace ostreldesignkit {
namespace {

using Glyph = void (*)(QPainter&);

void drawMicrophone(QPainter& painter, bool filled) {
    const QBrush brush = painter.brush();
    painter.setBrush(filled ? brush : Qt::NoBrush);
    painter.drawRoundedRect(QRectF(9, 2.5, 6, 11.5), 3, 3);
    QPainterPath cradle;
    cradle.moveTo(6, 11);
    cradle.cubicTo(6, 19, 18, 19, 18, 11);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cradle);
    painter.drawLine(QPointF(12, 17), QPointF(12, 20.5));
    painter.drawLine(QPointF(8.5, 20.5), QPointF(15.5, 20.5));
    painter.setBrush(brush);
}

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

SymbolDrawing outlined(Glyph glyph) {
    return [glyph](QPainter& painter) {
        painter.setBrush(Qt::NoBrush);
        glyph(painter);
    };
}

SymbolDrawing filled(Glyph glyph) {
    return [glyph](QPainter& painter) {
        painter.setBrush(painter.pen().color());
        glyph(painter);
    };
}

// `glyph` shrunk by `scale` about `centre`, its lines kept about as thick as
// `weight` times the canvas's own.
void shrunk(QPainter& painter, Glyph glyph, double scale, QPointF centre, double weight = 1.1) {
    painter.save();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-QPointF(12, 12));
    QPen pen = painter.pen();
    pen.setWidthF(pen.widthF() * weight / scale);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    glyph(painter);
    painter.restore();
}

// `mark` cut out of whatever has been drawn so far.
void cutOut(QPainter& painter, Glyph mark, double scale, QPointF centre) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    shrunk(painter, mark, scale, centre, 1.3);
    painter.restore();
}

SymbolDrawing inCircle(Glyph mark) {
    return [mark](QPainter& painter) {
        glyphs::circle(painter);
        shrunk(painter, mark, 0.5, QPointF(12, 12));
    };
}

SymbolDrawing inFilledCircle(Glyph mark) {
    return [mark](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(12, 12), 10.5, 10.5);
        painter.setPen(QPen(painter.brush().color(), 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        cutOut(painter, mark, 0.5, QPointF(12, 12));
    };
}

// A filled `shape` with `mark` cut out of it, or the shape outlined with the
// mark drawn inside.
SymbolDrawing markedShape(Glyph shape, Glyph mark, bool filledShape, double scale, QPointF centre) {
    return [=](QPainter& painter) {
        painter.setBrush(filledShape ? QBrush(painter.pen().color()) : QBrush(Qt::NoBrush));
        shape(painter);
        if (filledShape) cutOut(painter, mark, scale, centre);
        else shrunk(painter, mark, scale, centre);
    };
}

// `base` drawn whole (outlined or filled), with `badge` in a small circle
// cleared out of its lower right corner.
SymbolDrawing withBadge(SymbolDrawing base, Glyph badge) {
    return [base = std::move(base), badge](QPainter& painter) {
        const QPointF centre(18.5, 18.5);
        base(painter);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(centre, 6.5, 6.5);
        painter.restore();
        shrunk(painter, badge, 0.38, centre, 0.9);
    };
}

using Table = std::map<std::string, SymbolDrawing, std::less<>>;

Table makeTable() {
    using namespace glyphs;
    Table table{
        {"mic", [](QPainter& p) { drawMicrophone(p, false); }},
        {"mic.fill", [](QPainter& p) { drawMicrophone(p, true); }},
        {"sparkles", drawSparkles},
        {"waveform", drawWaveform},
        {"text.cursor", drawTextCursor},

        {"xmark", outlined(xmark)},
        {"xmark.circle", inCircle(xmark)},
        {"xmark.circle.fill", inFilledCircle(xmark)},
        {"checkmark", outlined(checkmark)},
        {"checkmark.circle", inCircle(checkmark)},
        {"checkmark.circle.fill", inFilledCircle(checkmark)},
        {"checkmark.seal.fill", markedShape(seal, checkmark, true, 0.45, QPointF(12, 12))},
        {"minus", outlined(minus)},
        {"minus.circle", inCircle(minus)},
        {"minus.circle.fill", inFilledCircle(minus)},
        {"plus", outlined(plus)},
        {"plus.circle", inCircle(plus)},
        {"exclamationmark.triangle", markedShape(triangle, exclamationmark, false, 0.5, QPointF(12, 14.5))},
        {"exclamationmark.triangle.fill", markedShape(triangle, exclamationmark, true, 0.5, QPointF(12, 14.5))},
        {"exclamationmark.circle.fill", inFilledCircle(exclamationmark)},
        {"questionmark", outlined(questionmark)},
        {"pause.circle", inCircle(pause)},
        {"arrow.right", outlined(arrowRight)},
        {"arrow.right.circle", inCircle(arrowRight)},

        {"arrow.up.and.down", outlined(arrowUpAndDown)},
        {"arrow.up.left.and.arrow.down.right", outlined(expandArrows)},
        {"arrow.triangle.2.circlepath", outlined(circularArrows)},
        {"clock.arrow.circlepath", outlined(clockArrow)},
        {"gearshape", outlined(gearshape)},
        {"gearshape.arrow.triangle.2.circlepath", outlined(gearWithArrows)},
        {"sidebar.left", outlined(sidebarLeading)},
        {"sidebar.leading", outlined(sidebarLeading)},

        {"clipboard", outlined(clipboard)},
        {"doc.on.clipboard", outlined(docOnClipboard)},
        {"doc.text", outlined(docText)},
        {"doc.richtext", outlined(docRichtext)},
        {"note.text", outlined(noteText)},
        {"keyboard", outlined(keyboard)},
        {"keyboard.badge.eye", withBadge(outlined(keyboard), eye)},
        {"wand.and.stars", outlined(wandAndStars)},
        {"text.book.closed", outlined(textBookClosed)},
        {"character.book.closed", outlined(characterBookClosed)},
        {"scroll", outlined(scroll)},
        {"waveform.path.ecg", outlined(waveformPathEcg)},
        {"waveform.badge.magnifyingglass", withBadge(drawWaveform, magnifyingglass)},
        {"magnifyingglass", outlined(magnifyingglass)},
        {"trash", outlined(trash)},
        {"mic.badge.plus", withBadge([](QPainter& p) { drawMicrophone(p, false); }, plus)},
        {"mic.fill.badge.plus", withBadge([](QPainter& p) { drawMicrophone(p, true); }, plus)},
        {"eye", outlined(eye)},
        {"eye.slash", outlined(eyeSlash)},
        {"star.fill", filled(star)},
        {"pencil", outlined(pencil)},
        {"film", outlined(film)},
        {"app", outlined(app)},
        {"circle", outlined(circle)},
        {"largecircle.fill.circle", outlined(largecircleFillCircle)},
        {"circle.dotted", outlined(circleDotted)},
        {"circle.lefthalf.filled", outlined(circleLefthalfFilled)},
        {"envelope.fill", filled(envelope)},
        {"envelope.badge", withBadge(outlined(envelope), [](QPainter& p) {
             p.setBrush(p.pen().color());
             p.drawEllipse(QPointF(12, 12), 8, 8);
         })},
        {"bubble.left.fill", filled(bubbleLeft)},
        {"text.bubble", outlined(textBubble)},
        {"megaphone.fill", filled(megaphone)},
        {"chevron.left.forwardslash.chevron.right", outlined(codeBrackets)},
        {"hand.raised", outlined(handRaised)},
        {"hand.tap", outlined(handTap)},
        {"lock.shield", outlined(lockShield)},
        {"cpu", outlined(cpu)},
        {"globe", outlined(globe)},
        {"antenna.radiowaves.left.and.right", outlined(antennaRadiowaves)},
        {"speaker.wave.2", outlined(speakerWave)},
        {"speaker.minus", outlined(speakerMinus)},
        {"slider.horizontal.3", outlined(sliders)},
        {"textformat.size", outlined(textformatSize)},
        {"text.badge.minus", withBadge(outlined(textLines), minus)},
        {"text.badge.checkmark", withBadge(outlined(textLines), checkmark)},
        {"textformat", outlined(textformat)},
        {"brain.head.profile", outlined(brainHeadProfile)},
        {"quote.opening", outlined(quoteOpening)},
        {"paragraphsign", outlined(paragraphsign)},
        {"paintpalette", outlined(paintpalette)},
        {"timer", outlined(timer)},
        {"menubar.rectangle", outlined(menubarRectangle)},
        {"dock.rectangle", outlined(dockRectangle)},
        {"rectangle.inset.filled", outlined(rectangleInsetFilled)},
        {"capslock", outlined(capslock)},
        {"command", outlined(command)},
    };
    return table;
}

const Table& table() {
    static const Table drawings = makeTable();
    return drawings;
}

} // namespace

const SymbolDrawing* findSymbolDrawing(std::string_view name) {
    const auto found = table().find(name);
    return found == table().end() ? nullptr : &found->second;
}

std::vector<std::string_view> symbolDrawingNames() {
    std::vector<std::string_view> names;
    for (const auto& [name, drawing] : table()) names.emplace_back(name);
    return names;
}

} // namespace ostreldesignkit
