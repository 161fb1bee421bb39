#pragma once
// Puts the dictation indicator on the screen under the pointer and takes it
// away again. A show counts up the show generation, builds the panel of the
// chosen style (or reuses the one built for that style), binds it to the
// application state, places it and, for the notch style, re-measures the
// notch and opens the notch view. A hide closes the notch view or fades the
// panel, and orders it out only if no show came in the meantime and the panel
// is still the same one. With the visibility set to never a show does
// nothing at all. Main thread only.

#include "OstrelVirorez/App/Ports/IndicatorCoordinating.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorInputs.hpp"
#include "OstrelVirorez/UI/Indicator/NotchGeometry.hpp"
#include "OstrelVirorez/UI/Indicator/ScreenDescription.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {
class Clock;
class MainQueue;
} // namespace platform

namespace ostrelvirorez {

class AppSettings;
class IndicatorPanel;

class IndicatorCoordinator final : public IndicatorCoordinating {
public:
    // How long a hide fades the panel, or waits for the notch view to close.
    static constexpr std::chrono::milliseconds fadeDuration{250};
    // The display under the pointer; nothing when there is none.
    using ScreenLocator = std::function<std::optional<ScreenDescription>()>;

    // On the real clock and the application's screens.
    explicit IndicatorCoordinator(platform::MainQueue& mainQueue);
    IndicatorCoordinator(platform::MainQueue& mainQueue, const platform::Clock& clock, ScreenLocator locateScreen);
    ~IndicatorCoordinator() override;
    IndicatorCoordinator(const IndicatorCoordinator&) = delete;
    IndicatorCoordinator& operator=(const IndicatorCoordinator&) = delete;

    void show(AppState& appState) override;
    void hide() override;

    int showGeneration() const { return showGeneration_; }
    // Absent until the first show.
    const IndicatorPanel* panel() const { return panel_.get(); }
    std::optional<IndicatorStyle> builtStyle() const { return builtStyle_; }
    const NotchGeometry& notchGeometry() const { return notchGeometry_; }

private:
    void present(IndicatorStyle style, const AppSettings& settings);
    void bind(AppState& appState);
    void refresh();
    IndicatorInputs inputs() const;
    // Orders the panel out if it is still `serial` and no show came after `generation`.
    std::function<void()> finalCheck();

    platform::MainQueue& mainQueue_;
    const platform::Clock& clock_;
    ScreenLocator locateScreen_;
    NotchGeometry notchGeometry_;
    std::unique_ptr<IndicatorPanel> panel_;
    std::optional<IndicatorStyle> builtStyle_;
    int panelSerial_ = 0;
    int showGeneration_ = 0;
    AppState* appState_ = nullptr;
    QImage targetIcon_;
    std::vector<platform::Connection> observers_;
    platform::TimerHandle openTask_;
    platform::TimerHandle closeTask_;
    // Delayed steps hold it weakly and do nothing once the coordinator is gone.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

} // namespace ostrelvirorez
