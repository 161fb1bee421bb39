#pragma once
// The waveform drawing: concentric arcs left and right of a centre whose
// radius, opacity and width follow the dictation state, the microphone level
// and an animation phase. Pure functions; the widget only paints them.

#include "OstrelVirorez/Model/DictationState.hpp"

#include <QColor>
#include <QPainterPath>
#include <QPointF>

#include <optional>
#include <vector>

class QPainter;

namespace ostrelvirorez {

struct RingParameters {
    double radius = 0;
    double opacity = 0;
    double lineWidth = 1;
};

struct WaveformRings {
    // Ring counts are clamped to 0...maxRingCount: a negative count draws
    // nothing, an absurd one cannot stall the drawing.
    static constexpr int maxRingCount = 64;
    static constexpr double visibleOpacity = 0.01;

    static QColor neonBlue();
    // The rings' colour; none where no ring is drawn.
    static std::optional<QColor> color(const DictationState& state);
    // Opacity of the whole drawing: 0 while idle or injecting.
    static double drawingOpacity(const DictationState& state);
    static RingParameters ring(double t, const DictationState& state, double level, double phase);
    // The rings actually stroked (opacity above 0.01), innermost first.
    static std::vector<RingParameters> visibleRings(int ringCount, const DictationState& state, double level,
                                                    double phase);
    // Two 70° arcs of 30 segments each, right then left.
    static QPainterPath ringPath(QPointF centre, double radius);

    static void paint(QPainter& painter, QSizeF size, int ringCount, const DictationState& state, double level,
                      double phase);
};

} // namespace ostrelvirorez
