#pragma once
// The label of the kit's text buttons: the title, with an optional symbol in
// front of it as tall as the text, centred in the padded button.

#include <QFont>
#include <QMarginsF>
#include <QSize>
#include <QString>

#include <string>

class QColor;
class QPainter;
class QRectF;

namespace ostreldesignkit {

struct ButtonLabel {
    QString title;
    // A symbol name of SymbolImage; empty for a title alone.
    std::string symbol;

    static constexpr double symbolSpacing = 6;

    QSize sizeHint(const QFont& font, const QMarginsF& padding) const;
    void paint(QPainter& painter, const QRectF& bounds, const QFont& font, const QMarginsF& padding,
               const QColor& color) const;
};

} // namespace ostreldesignkit
