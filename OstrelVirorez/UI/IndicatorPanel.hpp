#pragma once
// The dictation indicator's floating window: a frameless, translucent,
// always-on-top tool window that never takes the focus and lets every click
// through, hosting the view of one indicator style. It moves its view's
// animations on the main queue's timers and fades itself out on request.

#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/UI/Indicator/FrameTicker.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorInputs.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorWindowMask.hpp"
#include "OstrelVirorez/UI/Indicator/ScreenDescription.hpp"

#include <QWidget>

#include <functional>

namespace platform {
class Clock;
class MainQueue;
} // namespace platform

namespace ostrelvirorez {

class MinimalIndicatorView;
class NotchGeometry;
class NotchIndicatorView;
class OverlayIndicatorView;

class IndicatorPanel final : public QWidget {
public:
    // Hosts the view of `style`, built for `inputs`; the notch view follows
    // `geometry`, which outlives the panel.
    IndicatorPanel(IndicatorStyle style, const IndicatorInputs& inputs, NotchGeometry& geometry,
                   platform::MainQueue& mainQueue, const platform::Clock& clock);
    ~IndicatorPanel() override;

    IndicatorStyle style() const { return style_; }
    // Shows `inputs` in the hosted view.
    void apply(const IndicatorInputs& inputs);
    // Moves the panel to its place on `screen`; its size does not change.
    void place(const ScreenDescription& screen, PillPosition position);
    // Fully opaque at once (ending a fade) and shown without activation.
    void present();
    // Fades to transparent over 0.25 s, then runs `finished` on the main
    // queue; a presentation meanwhile cuts the fade short and runs it then.
    void fadeOut(std::function<void()> finished);
    void orderOut();
    // The notch view: closed at once, opened out or closed with animation.
    void closeNotchAtOnce();
    void setNotchPresented(bool presented);

    QWidget* hostedView() const { return view_; }
    const IndicatorAnimations& animations() const { return animations_; }
    bool isAnimating() const { return ticker_.isRunning(); }

private:
    bool frame();
    void pushMotion();

    IndicatorStyle style_;
    NotchGeometry& geometry_;
    platform::MainQueue& mainQueue_;
    IndicatorAnimations animations_;
    FrameTicker ticker_;
    IndicatorWindowMask mask_{*this};
    QWidget* view_ = nullptr;
    NotchIndicatorView* notchView_ = nullptr;
    OverlayIndicatorView* overlayView_ = nullptr;
    MinimalIndicatorView* minimalView_ = nullptr;
    std::function<void()> fadeFinished_;
};

} // namespace ostrelvirorez
