#include "OstrelVirorez/UI/IndicatorCoordinator.hpp"

#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/IndicatorPanel.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

namespace ostrelvirorez {

IndicatorCoordinator::IndicatorCoordinator(platform::MainQueue& mainQueue) : mainQueue_(mainQueue) {}

IndicatorCoordinator::~IndicatorCoordinator() {
    orderOutTask_.cancel();
    stateObserver_.disconnect();
}

void IndicatorCoordinator::show(AppState& appState) {
    const AppSettings& settings = appState.settings();
    if (settings.indicatorVisibility() == IndicatorVisibility::never) return;
    ++showGeneration_;
    const IndicatorStyle style = settings.indicatorStyle();
    if (!panel_ || builtStyle_ != style) {
        if (panel_) panel_->hide();
        panel_ = std::make_unique<IndicatorPanel>(style);
        builtStyle_ = style;
    }
    bind(appState);
    panel_->present();
}

void IndicatorCoordinator::bind(AppState& appState) {
    panel_->setText(QString::fromStdString(appState.stateDescription()));
    IndicatorPanel* panel = panel_.get();
    stateObserver_ = appState.state.observe([panel, &appState](const DictationState&) {
        panel->setText(QString::fromStdString(appState.stateDescription()));
    });
}

void IndicatorCoordinator::hide() {
    if (!panel_) return;
    orderOutTask_.cancel();
    const int generation = showGeneration_;
    const IndicatorPanel* panel = panel_.get();
    // Cancelled when the coordinator goes, so the task never outlives it.
    orderOutTask_ = mainQueue_.postAfter(fadeDuration, [this, generation, panel] {
        if (panel_.get() == panel && showGeneration_ == generation) panel_->hide();
    });
}

} // namespace ostrelvirorez
