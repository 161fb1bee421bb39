#pragma once
// What the application state needs of the dictation indicator: show it bound
// to the state, and hide it when a dictation has returned to idle.

namespace ostrelvirorez {

class AppState;

class IndicatorCoordinating {
public:
    virtual ~IndicatorCoordinating() = default;

    // Never fails; does nothing when the indicator is set never to show.
    virtual void show(AppState& appState) = 0;
    virtual void hide() = 0;
};

} // namespace ostrelvirorez
