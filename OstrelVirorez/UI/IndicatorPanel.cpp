#include "OstrelVirorez/UI/IndicatorPanel.hpp"

#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"
#include "OstrelVirorez/UI/Indicator/MinimalIndicatorView.hpp"
#include "OstrelVirorez/UI/Indicator/NotchGeometry.hpp"
#include "OstrelVirorez/UI/Indicator/NotchIndicatorModel.hpp"
#include "OstrelVirorez/UI/Indicator/NotchIndicatorView.hpp"
#include "OstrelVirorez/UI/Indicator/OverlayIndicatorView.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <cmath>
#include <utility>

namespace ostrelvirorez {

IndicatorPanel::IndicatorPanel(IndicatorStyle style, const IndicatorInputs& inputs, NotchGeometry& geometry,
                               platform::MainQueue& mainQueue, const platform::Clock& clock)
    : style_(style), geometry_(geometry), mainQueue_(mainQueue), animations_(clock),
      ticker_(mainQueue, [this] { return frame(); }) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // No blur behind the window here: the views draw their own tinted translucent fill.
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(IndicatorPlacement::panelSize(style).toSize());
    switch (style) {
    case IndicatorStyle::notch:
        view_ = notchView_ = new NotchIndicatorView(geometry, inputs.state, this);
        notchView_->animateWith(animations_);
        break;
    case IndicatorStyle::overlay:
        view_ = overlayView_ = new OverlayIndicatorView(inputs.state, IndicatorPlacement::overlayClosedWidth, this);
        overlayView_->animateWith(animations_);
        break;
    case IndicatorStyle::minimal:
        view_ = minimalView_ = new MinimalIndicatorView(inputs.state, inputs.pillPosition, this);
        minimalView_->animateWith(animations_);
        break;
    }
    view_->setGeometry(rect());
    animations_.stateChanged(inputs.state);
    apply(inputs);
}

IndicatorPanel::~IndicatorPanel() = default;

void IndicatorPanel::apply(const IndicatorInputs& in) {
    bool pulsing = false;
    if (notchView_ != nullptr) {
        notchView_->setState(in.state);
        notchView_->setTextFeedback(in.textFeedback);
        notchView_->setLiveTranscript(in.transcriptActive, in.preview);
        notchView_->setTargetIcon(in.targetIcon);
        pulsing = notchView_->model().dotPulse();
        animations_.setGlowShown(NotchIndicatorModel::showsGlow(in.state));
    } else if (overlayView_ != nullptr) {
        const bool changed = !(overlayView_->model().state() == in.state);
        overlayView_->setState(in.state);
        overlayView_->setTextFeedback(in.textFeedback);
        overlayView_->setPillPosition(in.pillPosition);
        overlayView_->setLiveTranscript(in.transcriptActive, in.preview);
        overlayView_->setTargetIcon(in.targetIcon);
        pulsing = overlayView_->model().dotPulse();
        if (changed) animations_.stateChanged(in.state);
    } else if (minimalView_ != nullptr) {
        minimalView_->setState(in.state);
        minimalView_->setTargetIcon(in.targetIcon);
        minimalView_->setPillPosition(in.pillPosition);
        pulsing = minimalView_->model().dotPulse();
    }
    animations_.setPulsing(pulsing);
    animations_.setLevel(in.level);
    pushMotion();
    if (isVisible()) ticker_.start();
}

void IndicatorPanel::place(const ScreenDescription& screen, PillPosition position) {
    const QPointF origin =
        IndicatorPlacement::panelOrigin(style_, position, size(), screen.frame, screen.usableFrame());
    move(int(std::lround(origin.x())), int(std::lround(origin.y())));
}

void IndicatorPanel::present() {
    // A fade still running is cut short; its completion still runs.
    if (fadeFinished_) mainQueue_.post(std::exchange(fadeFinished_, nullptr));
    animations_.makeOpaque();
    setWindowOpacity(1);
    mask_.refresh();
    pushMotion();
    show();
    ticker_.start();
}

void IndicatorPanel::fadeOut(std::function<void()> finished) {
    fadeFinished_ = std::move(finished);
    animations_.fadeOut();
    ticker_.start();
}

void IndicatorPanel::orderOut() {
    ticker_.stop();
    hide();
}

void IndicatorPanel::closeNotchAtOnce() {
    geometry_.setPresented(false);
    animations_.setPresented(false, false);
    pushMotion();
}

void IndicatorPanel::setNotchPresented(bool presented) {
    geometry_.setPresented(presented);
    animations_.setPresented(presented, true);
    ticker_.start();
}

void IndicatorPanel::pushMotion() {
    const double spinner = animations_.spinnerAngle();
    const double level = animations_.level();
    if (notchView_ != nullptr) {
        notchView_->setLevel(level);
        notchView_->setMotion(animations_.pulse(), animations_.breath(), animations_.openness(), spinner);
        mask_.follow(notchView_->visibleOutline());
    } else if (overlayView_ != nullptr) {
        overlayView_->setLevel(level);
        overlayView_->setMotion(animations_.pulse(), animations_.ringPhase(), animations_.ringOpacity(), spinner);
        mask_.follow(overlayView_->visibleOutline());
    } else if (minimalView_ != nullptr) {
        minimalView_->setLevel(level);
        minimalView_->setMotion(animations_.pulse(), spinner);
        mask_.follow(minimalView_->visibleOutline());
    }
}

bool IndicatorPanel::frame() {
    pushMotion();
    setWindowOpacity(animations_.alpha());
    if (fadeFinished_ && animations_.isFadedOut()) {
        // Run outside the frame, which may order this panel out.
        mainQueue_.post(std::exchange(fadeFinished_, nullptr));
    }
    return isVisible() && animations_.isAnimating();
}

} // namespace ostrelvirorez
