#pragma once
// The notch indicator's measures for a state: the black shape's width and
// bottom corner radius, the glow's radius, what each ear shows, the feedback
// band and the recording dot's scale and pulse.

#include "OstrelVirorez/Model/DictationState.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorShape.hpp"
#include "OstrelVirorez/UI/Indicator/NotchGeometry.hpp"

namespace ostrelvirorez {

enum class EarContent { nothing, targetIconOrDot, recordingDot, spinner, filledCheck, plainCheck, filledCross, plainCross };

class NotchIndicatorModel {
public:
    static constexpr double extensionWidth = 60;
    static constexpr double plainClosedWidth = 200;
    static constexpr double feedbackWidth = 340;
    static constexpr double feedbackHeight = 40;
    static constexpr double transcriptHeight = 42; // 30 pt text plus 6 pt above and below
    static constexpr double glowOutset = 6;
    // Width and height ease out over 0.24 s; the corner radius and the
    // content follow a state change, easing in and out over 0.18 s.
    static constexpr ShapeTiming shapeTiming{{std::chrono::milliseconds(240), Curve::easeOut},
                                             {std::chrono::milliseconds(240), Curve::easeOut},
                                             {std::chrono::milliseconds(180), Curve::easeInOut},
                                             {std::chrono::milliseconds(180), Curve::easeInOut}};

    // A view built during a recording pulses at once, like every later one.
    explicit NotchIndicatorModel(const DictationState& initial);
    void stateChanged(const DictationState& state);
    const DictationState& state() const { return state_; }
    bool dotPulse() const { return dotPulse_; }

    static double closedWidth(const NotchGeometry& geometry);
    static bool hasFeedback(const DictationState& state, bool textFeedback);
    static double width(const NotchGeometry& geometry, const DictationState& state, bool textFeedback);
    static double cornerRadius(const DictationState& state, bool textFeedback);
    static double glowCornerRadius(const DictationState& state, bool textFeedback);
    static bool showsGlow(const DictationState& state);
    static EarContent leftEar(const DictationState& state);
    static EarContent rightEar(const DictationState& state);
    static double rightEarPadding(const NotchGeometry& geometry) { return geometry.hasNotch() ? 34 : 20; }
    double dotScale(double level) const { return (dotPulse_ ? 1.3 : 1.0) + 0.8 * level; }

private:
    DictationState state_;
    bool dotPulse_;
};

} // namespace ostrelvirorez
