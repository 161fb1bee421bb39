#include "OstrelVirorez/UI/Indicator/WaveformRings.hpp"

#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrelvirorez {
namespace {

using Kind = DictationState::Kind;
constexpr double pi = std::numbers::pi;

double wave(double t, double speed, double phaseRate, double phase) {
    return (std::sin(-pi * t * speed + phaseRate * phase) + 1) / 2;
}

void addArc(QPainterPath& path, QPointF centre, double radius, double startDegrees) {
    constexpr int segments = 30;
    constexpr double sweep = 70;
    const auto point = [&](double degrees) {
        const double a = degrees * pi / 180;
        return QPointF(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
    };
    path.moveTo(point(startDegrees));
    for (int k = 1; k <= segments; ++k) path.lineTo(point(startDegrees + k * sweep / segments));
}

} // namespace

QColor WaveformRings::neonBlue() { return QColor::fromRgbF(0, 0.55f, 1); }

std::optional<QColor> WaveformRings::color(const DictationState& state) {
    switch (state.kind()) {
    case Kind::recording:
        return state.mode() == DictationMode::raw ? neonBlue() : VirorezColors::claude();
    case Kind::transcribing: return neonBlue();
    case Kind::rewriting:
    case Kind::rewritingClipboard: return VirorezColors::claude();
    case Kind::done: return VirorezColors::success();
    case Kind::error:
    case Kind::idle:
    case Kind::injecting: return std::nullopt;
    }
    return std::nullopt;
}

double WaveformRings::drawingOpacity(const DictationState& state) {
    return state.kind() == Kind::idle || state.kind() == Kind::injecting ? 0 : 1;
}

RingParameters WaveformRings::ring(double t, const DictationState& state, double level, double phase) {
    switch (state.kind()) {
    case Kind::recording: {
        const double w = wave(t, 0.5, 0.15, phase);
        const double a = std::min(3.5 * level + 0.08, 1.0);
        const double q = std::max(a - 0.6 * t, 0.0) / std::max(1 - 0.6 * t, 0.01);
        return {4 + 42 * t + 6 * w * a, (0.7 + 0.3 * w) * (0.9 - 0.3 * t) * q, 1 + 0.5 * w * a};
    }
    case Kind::transcribing: {
        const double w = wave(t, 0.4, 0.12, phase);
        return {4 + 40 * t + 4 * w, (0.6 + 0.4 * w) * (0.7 - 0.25 * t), 1};
    }
    case Kind::rewriting:
    case Kind::rewritingClipboard: {
        const double w = wave(t, 0.3, 0.1, phase);
        return {4 + 38 * t + 3 * w, (0.6 + 0.3 * w) * (0.65 - 0.2 * t), 1};
    }
    case Kind::done: return {4 + 35 * t, (0.5 - 0.2 * t) * std::max(1 - phase / pi, 0.0), 1};
    case Kind::error:
    case Kind::idle:
    case Kind::injecting: return {0, 0, 1};
    }
    return {0, 0, 1};
}

std::vector<RingParameters> WaveformRings::visibleRings(int ringCount, const DictationState& state, double level,
                                                        double phase) {
    const int count = std::clamp(ringCount, 0, maxRingCount);
    std::vector<RingParameters> rings;
    for (int i = 0; i < count; ++i) {
        const RingParameters ring = WaveformRings::ring(double(i) / count, state, level, phase);
        if (ring.opacity > visibleOpacity) rings.push_back(ring);
    }
    return rings;
}

QPainterPath WaveformRings::ringPath(QPointF centre, double radius) {
    QPainterPath path;
    addArc(path, centre, radius, -35);
    addArc(path, centre, radius, 145);
    return path;
}

void WaveformRings::paint(QPainter& painter, QSizeF size, int ringCount, const DictationState& state, double level,
                          double phase) {
    const auto ringColor = color(state);
    if (!ringColor) return;
    const QPointF centre(size.width() / 2, size.height() / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const RingParameters& ring : visibleRings(ringCount, state, level, phase)) {
        QColor stroke = *ringColor;
        stroke.setAlphaF(float(ring.opacity));
        painter.strokePath(ringPath(centre, ring.radius), QPen(stroke, ring.lineWidth, Qt::SolidLine, Qt::FlatCap,
                                                               Qt::MiterJoin));
    }
    painter.restore();
}

} // namespace ostrelvirorez
