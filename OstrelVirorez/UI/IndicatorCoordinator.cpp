#include "OstrelVirorez/UI/IndicatorCoordinator.hpp"

#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Indicator/TargetIconImage.hpp"
#include "OstrelVirorez/UI/IndicatorPanel.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Concurrency/SystemClock.hpp"

namespace ostrelvirorez {

IndicatorCoordinator::IndicatorCoordinator(platform::MainQueue& mainQueue)
    : IndicatorCoordinator(mainQueue, platform::SystemClock::shared(), [] { return screenUnderMouseCursor(); }) {}

IndicatorCoordinator::IndicatorCoordinator(platform::MainQueue& mainQueue, const platform::Clock& clock,
                                           ScreenLocator locateScreen)
    : mainQueue_(mainQueue), clock_(clock), locateScreen_(std::move(locateScreen)), notchGeometry_(locateScreen_()) {}

IndicatorCoordinator::~IndicatorCoordinator() {
    openTask_.cancel();
    closeTask_.cancel();
    observers_.clear();
}

void IndicatorCoordinator::show(AppState& appState) {
    const AppSettings& settings = appState.settings();
    const IndicatorStyle style = settings.indicatorStyle();
    if (settings.indicatorVisibility() == IndicatorVisibility::never) return;
    ++showGeneration_;
    bind(appState);
    if (panel_ && builtStyle_ == style) {
        panel_->apply(inputs());
    } else {
        if (panel_) panel_->orderOut(); // at once, no fade
        panel_ = std::make_unique<IndicatorPanel>(style, inputs(), notchGeometry_, mainQueue_, clock_);
        builtStyle_ = style;
        ++panelSerial_;
    }
    present(style, settings);
}

void IndicatorCoordinator::present(IndicatorStyle style, const AppSettings& settings) {
    const std::optional<ScreenDescription> screen = locateScreen_();
    if (style == IndicatorStyle::notch && screen) notchGeometry_.update(*screen);
    if (screen) panel_->place(*screen, settings.pillPosition());
    panel_->present();
    if (style != IndicatorStyle::notch) return;
    panel_->closeNotchAtOnce();
    // Let the view lay out closed once, then unroll it.
    openTask_.cancel();
    openTask_ = mainQueue_.postAfter(platform::Clock::Duration::zero(),
                                     [this, alive = std::weak_ptr<int>(lifetime_)] {
                                         if (alive.expired()) return;
                                         if (panel_ && builtStyle_ == IndicatorStyle::notch) {
                                             panel_->setNotchPresented(true);
                                         } else {
                                             notchGeometry_.setPresented(true);
                                         }
                                     });
}

void IndicatorCoordinator::hide() {
    if (!panel_) return;
    if (notchGeometry_.isPresented()) {
        panel_->setNotchPresented(false);
        closeTask_ = mainQueue_.postAfter(fadeDuration, finalCheck());
    } else {
        panel_->fadeOut(finalCheck());
    }
}

std::function<void()> IndicatorCoordinator::finalCheck() {
    return [this, alive = std::weak_ptr<int>(lifetime_), generation = showGeneration_, serial = panelSerial_] {
        if (alive.expired()) return;
        if (panel_ && panelSerial_ == serial && showGeneration_ == generation) panel_->orderOut();
    };
}

void IndicatorCoordinator::bind(AppState& appState) {
    if (appState_ == &appState && !observers_.empty()) return;
    observers_.clear();
    appState_ = &appState;
    targetIcon_ = targetIconImage(appState.targetAppIcon.get());
    observers_.push_back(appState.state.observe([this](const DictationState&) { refresh(); }));
    observers_.push_back(appState.targetAppIcon.observe([this](const std::optional<std::string>& icon) {
        targetIcon_ = targetIconImage(icon);
        refresh();
    }));
    observers_.push_back(appState.audioLevelMonitor.level.observe([this](const float&) { refresh(); }));
    observers_.push_back(appState.liveTranscriptMonitor.preview.observe([this](const std::string&) { refresh(); }));
    observers_.push_back(appState.liveTranscriptMonitor.isActive.observe([this](const bool&) { refresh(); }));
}

void IndicatorCoordinator::refresh() {
    if (panel_) panel_->apply(inputs());
}

IndicatorInputs IndicatorCoordinator::inputs() const {
    const AppSettings& settings = appState_->settings();
    return {appState_->state.get(),
            double(appState_->audioLevelMonitor.level.get()),
            settings.indicatorTextFeedback(),
            settings.pillPosition(),
            appState_->liveTranscriptMonitor.isActive.get(),
            QString::fromStdString(appState_->liveTranscriptMonitor.preview.get()),
            targetIcon_};
}

} // namespace ostrelvirorez
