#pragma once
// What the overlay indicator shows for a state: a dark pill of a fixed width
// with the state in one row (left status, waveform rings while recording,
// right content), which widens and grows a feedback section below a divider
// when text feedback is on and the dictation is being worked on, finished or
// failed.

#include "OstrelVirorez/Model/DictationState.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorShape.hpp"

#include <QString>

namespace ostrelvirorez {

enum class OverlayLeft { nothing, iconAndDot, filledCheck, filledCross };
enum class OverlayRight { nothing, recordingDot, spinner, labelAndSpinner, doneWord, errorMessage };

struct DotShadow {
    double opacity = 0;
    double radius = 0;
};

class OverlayIndicatorModel {
public:
    static constexpr double defaultClosedWidth = 280;
    static constexpr double expandedWidth = 340;
    static constexpr double rowHeight = 48;
    static constexpr double cornerRadius = 24;
    static constexpr double sidePadding = 20;
    static constexpr double rowSpacing = 12;
    static constexpr double iconSize = 18;
    static constexpr double dotDiameter = 8;
    static constexpr double statusSymbolSize = 16;
    static constexpr int ringCount = 5;
    static constexpr double ringMaxHeight = 30;
    static constexpr double sectionVerticalPadding = 10;
    static constexpr int transcriptLines = 3;
    static constexpr int feedbackLines = 2;
    // The width eases in and out over 0.25 s; the height and the content
    // follow a state change, easing in and out over 0.2 s.
    static constexpr ShapeTiming shapeTiming{{std::chrono::milliseconds(250), Curve::easeInOut},
                                             {std::chrono::milliseconds(200), Curve::easeInOut},
                                             {std::chrono::milliseconds(200), Curve::easeInOut},
                                             {std::chrono::milliseconds(200), Curve::easeInOut}};

    // A view built during a recording pulses at once, like every later one.
    explicit OverlayIndicatorModel(const DictationState& initial, double closedWidth = defaultClosedWidth);
    void stateChanged(const DictationState& state);
    const DictationState& state() const { return state_; }
    bool dotPulse() const { return dotPulse_; }
    double closedWidth() const { return closedWidth_; }

    static bool hasExpandedContent(const DictationState& state, bool textFeedback);
    double width(const DictationState& state, bool textFeedback) const;
    // "Transcribing", "Rewriting", "Clipboard", or empty.
    static QString processingLabel(const DictationState& state);
    static OverlayLeft leftStatus(const DictationState& state);
    static OverlayRight rightContent(const DictationState& state, bool textFeedback);
    static bool showsWaveform(const DictationState& state);
    // An active live transcript with nothing in it yet shows no section.
    static bool showsTranscript(bool active, const QString& preview) { return active && !preview.isEmpty(); }
    // The dot grows with the level; the pulse (0…1) only moves its shadow.
    static double dotScale(double level) { return 1 + 0.8 * level; }
    static DotShadow dotShadow(double pulse);
    // The pill stands on the panel's bottom edge for dock, else hangs from its top.
    static bool alignsToBottom(PillPosition position) { return position == PillPosition::dock; }

private:
    DictationState state_;
    bool dotPulse_;
    double closedWidth_;
};

} // namespace ostrelvirorez
