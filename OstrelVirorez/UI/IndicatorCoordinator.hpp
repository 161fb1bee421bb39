#pragma once
// Shows and hides the dictation indicator's panel. A show counts up the show
// generation and reuses the panel while the indicator style is unchanged; a
// hide takes the panel off screen after a short fade, and only if no show
// came in the meantime. With the visibility set to never it does nothing.
// Main thread only.

#include "OstrelVirorez/App/Ports/IndicatorCoordinating.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <memory>
#include <optional>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class IndicatorPanel;

class IndicatorCoordinator final : public IndicatorCoordinating {
public:
    static constexpr std::chrono::milliseconds fadeDuration{250};

    explicit IndicatorCoordinator(platform::MainQueue& mainQueue);
    ~IndicatorCoordinator() override;
    IndicatorCoordinator(const IndicatorCoordinator&) = delete;
    IndicatorCoordinator& operator=(const IndicatorCoordinator&) = delete;

    void show(AppState& appState) override;
    void hide() override;

    int showGeneration() const { return showGeneration_; }
    // Absent until the first show.
    const IndicatorPanel* panel() const { return panel_.get(); }
    std::optional<IndicatorStyle> builtStyle() const { return builtStyle_; }

private:
    void bind(AppState& appState);

    platform::MainQueue& mainQueue_;
    std::unique_ptr<IndicatorPanel> panel_;
    std::optional<IndicatorStyle> builtStyle_;
    int showGeneration_ = 0;
    platform::Connection stateObserver_;
    platform::TimerHandle orderOutTask_;
};

} // namespace ostrelvirorez
