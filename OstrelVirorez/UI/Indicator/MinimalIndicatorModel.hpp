#pragma once
// What the minimal indicator shows for a dictation state: a dark capsule of a
// fixed width holding a placeholder, the recording dot, a spinner, a check
// mark or the error message, beside the target application's icon.

#include "OstrelVirorez/Model/DictationState.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorShape.hpp"

#include <QColor>
#include <QMarginsF>
#include <QSizeF>

namespace ostrelvirorez {

enum class MinimalContent { placeholder, recordingDot, spinner, checkmark, message };

struct CapsuleLook {
    QColor fill;
    QColor stroke;
    QColor shadow;
    static constexpr double shadowRadius = 10;
    static constexpr double shadowOffsetY = 4;
};

class MinimalIndicatorModel {
public:
    static constexpr double dotDiameter = 6;
    static constexpr double iconSize = 14;
    static constexpr double spacing = 8;
    // The capsule's size and its content follow a state change, easing in
    // and out over 0.2 s.
    static constexpr ShapeTiming shapeTiming{{std::chrono::milliseconds(200), Curve::easeInOut},
                                             {std::chrono::milliseconds(200), Curve::easeInOut},
                                             {std::chrono::milliseconds(200), Curve::easeInOut},
                                             {std::chrono::milliseconds(200), Curve::easeInOut}};

    // The view starts pulsing when it is built during a recording, so the
    // first dictation after a panel is built pulses like every later one.
    explicit MinimalIndicatorModel(const DictationState& initial);

    void stateChanged(const DictationState& state);
    const DictationState& state() const { return state_; }
    bool dotPulse() const { return dotPulse_; }

    static double width(const DictationState& state);
    static MinimalContent content(const DictationState& state);
    static bool showsTargetIcon(const DictationState& state);
    static QMarginsF padding(const DictationState& state);
    static CapsuleLook look(const DictationState& state);
    static QColor dotColor(const DictationState& state);
    static double dotScale(double level) { return 1 + 0.8 * level; }
    static constexpr double spinnerSize = 12;
    static constexpr double symbolSize = 14;
    // The content's layout size; `messageHeight` is the laid-out error text.
    static QSizeF contentSize(const DictationState& state, bool hasIcon, double messageHeight);
    // The capsule hugs fixed content and spans the whole width for messages.
    static QSizeF capsuleSize(const DictationState& state, bool hasIcon, double messageHeight);
    // The capsule stands at the bottom of the panel for dock, else at its top.
    static bool alignsToBottom(PillPosition position) { return position == PillPosition::dock; }

private:
    DictationState state_;
    bool dotPulse_;
};

} // namespace ostrelvirorez
