#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"

#include "OstrelVirorez/UI/Indicator/WaveformRings.hpp"
#include "Platform/Concurrency/Clock.hpp"

#include <cmath>
#include <numbers>

namespace ostrelvirorez {
namespace {

using Kind = DictationState::Kind;
constexpr double pi = std::numbers::pi;

bool ringsRun(Kind kind) {
    return kind == Kind::recording || kind == Kind::transcribing || kind == Kind::rewriting ||
           kind == Kind::rewritingClipboard;
}

} // namespace

IndicatorAnimations::IndicatorAnimations(const platform::Clock& clock) : clock_(clock), epoch_(clock.now()) {}

Tween::TimePoint IndicatorAnimations::now() const { return clock_.now(); }

Tween IndicatorAnimations::to(const Tween& current, double target, std::chrono::milliseconds duration,
                              Curve curve) const {
    return Tween::between(current.value(now()), target, now(), duration, curve);
}

void IndicatorAnimations::setLevel(double level) {
    if (level != level_.target()) level_ = to(level_, level, levelSmoothing, Curve::easeOut);
}

void IndicatorAnimations::setPulsing(bool pulsing) {
    if (pulsing == pulsing_) return;
    pulsing_ = pulsing;
    pulse_ = pulsing ? Tween::between(pulse_.value(now()), 1, now(), pulsePeriod, Curve::easeInOut, Repeat::autoreverse)
                     : to(pulse_, 0, pulsePeriod, Curve::easeInOut);
}

void IndicatorAnimations::setGlowShown(bool shown) {
    if (shown == glowShown_) return;
    glowShown_ = shown;
    breath_ = shown ? Tween::between(0, 1, now(), breathPeriod, Curve::easeInOut, Repeat::autoreverse) : Tween::hold(0);
}

void IndicatorAnimations::stateChanged(const DictationState& state) {
    const Kind kind = state.kind();
    if (ringsRun(kind)) {
        ringPhase_ = Tween::between(0, 2 * pi, now(), ringCycle, Curve::linear, Repeat::loop);
    } else if (kind == Kind::done) {
        ringPhase_ = Tween::between(0, pi, now(), doneRingFade, Curve::easeOut);
    } else {
        ringPhase_ = Tween::hold(0);
    }
    const double target = WaveformRings::drawingOpacity(state);
    if (target != ringOpacity_.target()) ringOpacity_ = to(ringOpacity_, target, ringOpacityFade, Curve::easeInOut);
}

void IndicatorAnimations::setPresented(bool presented, bool animated) {
    const double target = presented ? 1 : 0;
    if (!animated) openness_ = Tween::hold(target);
    else if (target != openness_.target()) openness_ = to(openness_, target, openDuration, Curve::easeOut);
}

void IndicatorAnimations::fadeOut() { alpha_ = to(alpha_, 0, fadeOutDuration, Curve::easeIn); }

void IndicatorAnimations::makeOpaque() { alpha_ = Tween::hold(1); }

void IndicatorAnimations::retarget(Tween& tween, double target, const Easing& easing, bool animated) const {
    if (!animated) tween = Tween::hold(target);
    else if (target != tween.target()) tween = to(tween, target, easing.duration, easing.curve);
}

void IndicatorAnimations::setShape(const ShapeMeasures& target, const ShapeTiming& timing, bool animated) {
    retarget(shapeWidth_, target.width, timing.width, animated);
    retarget(shapeHeight_, target.height, timing.height, animated);
    retarget(shapeRadius_, target.cornerRadius, timing.cornerRadius, animated);
}

void IndicatorAnimations::crossFadeContent(const Easing& easing) {
    contentBlend_ = Tween::between(0, 1, now(), easing.duration, easing.curve);
}

ShapeMeasures IndicatorAnimations::shape() const {
    const auto at = now();
    return {shapeWidth_.value(at), shapeHeight_.value(at), shapeRadius_.value(at)};
}

double IndicatorAnimations::contentBlend() const { return contentBlend_.value(now()); }

double IndicatorAnimations::level() const { return level_.value(now()); }
double IndicatorAnimations::pulse() const { return pulse_.value(now()); }
double IndicatorAnimations::breath() const { return breath_.value(now()); }
double IndicatorAnimations::ringPhase() const { return ringPhase_.value(now()); }
double IndicatorAnimations::ringOpacity() const { return ringOpacity_.value(now()); }
double IndicatorAnimations::openness() const { return openness_.value(now()); }
double IndicatorAnimations::alpha() const { return alpha_.value(now()); }

double IndicatorAnimations::spinnerAngle() const {
    const double turns = std::chrono::duration<double>(now() - epoch_) / std::chrono::duration<double>(spinnerTurn);
    return 360 * (turns - std::floor(turns));
}

bool IndicatorAnimations::isFadedOut() const { return alpha_.target() == 0 && alpha_.isFinished(now()); }

bool IndicatorAnimations::isAnimating() const {
    const auto at = now();
    for (const Tween* tween : {&level_, &pulse_, &breath_, &ringPhase_, &ringOpacity_, &openness_, &alpha_,
                               &shapeWidth_, &shapeHeight_, &shapeRadius_, &contentBlend_}) {
        if (!tween->isFinished(at)) return true;
    }
    return false;
}

} // namespace ostrelvirorez
