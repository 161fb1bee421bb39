#include "OstrelVirorez/UI/Indicator/Tween.hpp"

#include <QEasingCurve>
#include <QPointF>

#include <algorithm>
#include <cmath>

namespace ostrelvirorez {
namespace {

QEasingCurve bezier(double x1, double y1, double x2, double y2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

} // namespace

double ease(Curve curve, double fraction) {
    const double t = std::clamp(fraction, 0.0, 1.0);
    switch (curve) {
    case Curve::linear: return t;
    case Curve::easeIn: {
        static const QEasingCurve in = bezier(0.42, 0, 1, 1);
        return in.valueForProgress(t);
    }
    case Curve::easeOut: {
        static const QEasingCurve out = bezier(0, 0, 0.58, 1);
        return out.valueForProgress(t);
    }
    case Curve::easeInOut: {
        static const QEasingCurve inOut = bezier(0.42, 0, 0.58, 1);
        return inOut.valueForProgress(t);
    }
    }
    return t;
}

Tween Tween::hold(double value) {
    Tween tween;
    tween.from_ = value;
    tween.to_ = value;
    return tween;
}

Tween Tween::between(double from, double to, TimePoint start, Duration duration, Curve curve, Repeat repeat) {
    Tween tween;
    tween.from_ = from;
    tween.to_ = to;
    tween.start_ = start;
    tween.duration_ = duration;
    tween.curve_ = curve;
    tween.repeat_ = repeat;
    return tween;
}

double Tween::value(TimePoint now) const {
    if (duration_ <= Duration::zero() || now <= start_) return duration_ <= Duration::zero() ? to_ : from_;
    const double elapsed = std::chrono::duration<double>(now - start_) / std::chrono::duration<double>(duration_);
    double fraction = elapsed;
    switch (repeat_) {
    case Repeat::once: fraction = std::min(elapsed, 1.0); break;
    case Repeat::loop: fraction = elapsed - std::floor(elapsed); break;
    case Repeat::autoreverse: {
        const double cycle = std::fmod(elapsed, 2.0);
        fraction = cycle <= 1 ? cycle : 2 - cycle;
        break;
    }
    }
    return from_ + (to_ - from_) * ease(curve_, fraction);
}

bool Tween::isFinished(TimePoint now) const {
    if (repeat_ != Repeat::once) return duration_ <= Duration::zero();
    return now >= start_ + duration_;
}

} // namespace ostrelvirorez
