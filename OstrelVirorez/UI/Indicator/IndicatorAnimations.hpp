#pragma once
// The moving values of the indicator, read from a replaceable clock: the
// recording dot's pulse, the glow's breathing, the waveform rings' phase and
// fade, the notch view's opening, the spinner's turn, the panel's fade, the
// input level's smoothing, and the hosted view's shape and content cross-fade.
// Each starts from its value at the moment it is changed, so a change in the
// middle of a motion continues smoothly.

#include "OstrelVirorez/Model/DictationState.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorShape.hpp"
#include "OstrelVirorez/UI/Indicator/Tween.hpp"

#include <chrono>

namespace platform {
class Clock;
}

namespace ostrelvirorez {

class IndicatorAnimations {
public:
    static constexpr std::chrono::milliseconds pulsePeriod{1000};
    static constexpr std::chrono::milliseconds breathPeriod{1600};
    static constexpr std::chrono::milliseconds ringCycle{1500};
    static constexpr std::chrono::milliseconds doneRingFade{800};
    static constexpr std::chrono::milliseconds ringOpacityFade{200};
    static constexpr std::chrono::milliseconds openDuration{220};
    static constexpr std::chrono::milliseconds fadeOutDuration{250};
    static constexpr std::chrono::milliseconds spinnerTurn{1000};
    static constexpr std::chrono::milliseconds levelSmoothing{80};

    explicit IndicatorAnimations(const platform::Clock& clock);

    // The drawn input level follows the measured one with an ease-out of 0.08 s.
    void setLevel(double level);
    // The dot swings between its two looks, 1 s each way, while pulsing, and
    // settles back within 1 s when the pulse stops.
    void setPulsing(bool pulsing);
    // The glow breathes from the moment it is shown; it starts afresh when
    // shown again.
    void setGlowShown(bool shown);
    // Restarts the rings' phase for the new state and fades the drawing in
    // or out.
    void stateChanged(const DictationState& state);
    // The notch view opens out (or closes) with an ease-out of 0.22 s, or
    // at once.
    void setPresented(bool presented, bool animated);
    // The panel fades to transparent with an ease-in of 0.25 s, or becomes
    // opaque at once.
    void fadeOut();
    void makeOpaque();
    // The drawn shape moves to `target`, each measure that changes along its
    // own easing, from where it stands; `animated` false puts it there at once.
    void setShape(const ShapeMeasures& target, const ShapeTiming& timing, bool animated = true);
    // A new state's content fades in over the old one's.
    void crossFadeContent(const Easing& easing);

    double level() const;
    double pulse() const;       // 0 (at rest) … 1 (pulsed)
    double breath() const;      // 0 … 1
    double ringPhase() const;   // radians
    double ringOpacity() const; // 0 … 1
    double openness() const;    // 0 (closed) … 1 (open)
    double alpha() const;       // the panel's opacity
    double spinnerAngle() const; // degrees, one turn a second
    ShapeMeasures shape() const;
    // 0 shows the previous state's content, 1 the current one's.
    double contentBlend() const;
    bool isFadedOut() const;
    // Whether any value still moves (a repeating motion always does).
    bool isAnimating() const;

private:
    Tween::TimePoint now() const;
    Tween to(const Tween& current, double target, std::chrono::milliseconds duration, Curve curve) const;
    void retarget(Tween& tween, double target, const Easing& easing, bool animated) const;

    const platform::Clock& clock_;
    Tween::TimePoint epoch_;
    bool pulsing_ = false;
    bool glowShown_ = false;
    Tween level_ = Tween::hold(0);
    Tween pulse_ = Tween::hold(0);
    Tween breath_ = Tween::hold(0);
    Tween ringPhase_ = Tween::hold(0);
    Tween ringOpacity_ = Tween::hold(0);
    Tween openness_ = Tween::hold(0);
    Tween alpha_ = Tween::hold(1);
    Tween shapeWidth_ = Tween::hold(0);
    Tween shapeHeight_ = Tween::hold(0);
    Tween shapeRadius_ = Tween::hold(0);
    Tween contentBlend_ = Tween::hold(1);
};

} // namespace ostrelvirorez
