#pragma once
// The soft halo that follows the notch panel's outline, breathing slowly and
// swelling with the microphone level (saturating at a third of full level).

#include "OstrelVirorez/UI/Indicator/NotchShape.hpp"

#include <QColor>
#include <QRectF>

class QPainter;

namespace ostrelvirorez {

struct GlowBorder {
    float level = 0;
    QColor color;
    double cornerRadius = 0;
    // 0 (breathe false) to 1 (breathe true); the breathing animation moves
    // this back and forth, so values between blend the two looks.
    double breath = 0;

    double intensity() const; // min(3 · level, 1)
    double lineWidth() const;
    double blurRadius() const;
    double opacity() const;

    // Strokes the outline inside `rect` and softens it outward and inward by
    // the blur radius (layered strokes of falling opacity stand in for a
    // Gaussian blur).
    void paint(QPainter& painter, const QRectF& rect) const;
};

} // namespace ostrelvirorez
