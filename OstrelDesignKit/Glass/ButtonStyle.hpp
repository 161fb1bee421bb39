#pragma once
// The look of the kit's two kinds of buttons for a pressed state: the text
// button with a rounded outline that can show an active state, and the round
// icon button. Neither has hover effects or animations.

#include <QColor>
#include <QMarginsF>

class QPainter;
class QRectF;

namespace ostreldesignkit {

struct ButtonLook {
    QColor fill;       // transparent for none
    QColor rim;        // 1 pt inner outline
    double opacity = 1; // of the whole button
    double cornerRadius = 0;
    bool circle = false;

    // Fill and rim of the button's background in `rect`.
    void paintBackground(QPainter& painter, const QRectF& rect) const;
};

struct OstrelButtonStyle {
    bool isActive = false;

    static constexpr double cornerRadius = 8;
    static QMarginsF padding(); // around the label

    ButtonLook look(bool pressed) const;
};

struct OstrelIconButtonStyle {
    double size = 32;

    // The ready-made icon style callers use by name.
    static OstrelIconButtonStyle ostrelIcon() { return {32}; }

    ButtonLook look(bool pressed) const;
};

} // namespace ostreldesignkit
