#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

namespace ostrelvirorez {

using Kind = DictationState::Kind;
using ostreldesignkit::Color;

QColor IndicatorStatus::systemGreen() { return QColor(50, 215, 75); }

QColor IndicatorStatus::stateColor(const DictationState& state) {
    switch (state.kind()) {
    case Kind::recording: return state.mode() == DictationMode::raw ? Color::timecodeBlue() : VirorezColors::claude();
    case Kind::transcribing: return Color::timecodeBlue();
    case Kind::rewriting:
    case Kind::rewritingClipboard: return VirorezColors::claude();
    case Kind::idle:
    case Kind::injecting:
    case Kind::done:
    case Kind::error: return Color::systemRed();
    }
    return Color::systemRed();
}

std::optional<FeedbackRow> IndicatorStatus::feedback(const DictationState& state) {
    switch (state.kind()) {
    case Kind::transcribing:
        return FeedbackRow{"waveform", QStringLiteral("Transcribing…"), Color::withOpacity(Qt::white, 0.7)};
    case Kind::rewriting:
        return FeedbackRow{"sparkles", QStringLiteral("Claude is rewriting…"), VirorezColors::claude()};
    case Kind::rewritingClipboard:
        return FeedbackRow{"clipboard", QStringLiteral("Rewriting clipboard…"), VirorezColors::claude()};
    case Kind::done: return FeedbackRow{"checkmark.circle.fill", QStringLiteral("Done"), systemGreen()};
    case Kind::error:
        return FeedbackRow{"xmark.circle.fill", QString::fromStdString(state.message().value_or("")),
                           Color::systemRed()};
    case Kind::idle:
    case Kind::recording:
    case Kind::injecting: return std::nullopt;
    }
    return std::nullopt;
}

} // namespace ostrelvirorez
