#include "OstrelVirorez/UI/Indicator/MinimalIndicatorModel.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <algorithm>

namespace ostrelvirorez {
namespace {

using Kind = DictationState::Kind;
using ostreldesignkit::Color;

bool isRecording(const DictationState& state) { return state.kind() == Kind::recording; }

} // namespace

MinimalIndicatorModel::MinimalIndicatorModel(const DictationState& initial)
    : state_(initial), dotPulse_(isRecording(initial)) {}

void MinimalIndicatorModel::stateChanged(const DictationState& state) {
    if (state == state_) return;
    state_ = state;
    dotPulse_ = isRecording(state);
}

double MinimalIndicatorModel::width(const DictationState& state) {
    switch (state.kind()) {
    case Kind::idle: return 42;
    case Kind::recording: return 58;
    case Kind::transcribing:
    case Kind::rewriting:
    case Kind::rewritingClipboard: return 76;
    case Kind::injecting:
    case Kind::done: return 44;
    case Kind::error: return 280;
    }
    return 42;
}

MinimalContent MinimalIndicatorModel::content(const DictationState& state) {
    switch (state.kind()) {
    case Kind::idle: return MinimalContent::placeholder;
    case Kind::recording: return MinimalContent::recordingDot;
    case Kind::transcribing:
    case Kind::rewriting:
    case Kind::rewritingClipboard: return MinimalContent::spinner;
    case Kind::injecting:
    case Kind::done: return MinimalContent::checkmark;
    case Kind::error: return MinimalContent::message;
    }
    return MinimalContent::placeholder;
}

bool MinimalIndicatorModel::showsTargetIcon(const DictationState& state) {
    const MinimalContent shown = content(state);
    return shown == MinimalContent::recordingDot || shown == MinimalContent::spinner;
}

QMarginsF MinimalIndicatorModel::padding(const DictationState& state) {
    return state.kind() == Kind::error ? QMarginsF(14, 9, 14, 9) : QMarginsF(12, 10, 12, 10);
}

CapsuleLook MinimalIndicatorModel::look(const DictationState& state) {
    const bool error = state.kind() == Kind::error;
    return {Color::withOpacity(Qt::black, 0.84),
            error ? Color::withOpacity(Color::systemRed(), 0.55) : Color::withOpacity(Qt::white, 0.14),
            error ? Color::withOpacity(Color::systemRed(), 0.18) : Color::withOpacity(Qt::black, 0.22)};
}

QColor MinimalIndicatorModel::dotColor(const DictationState& state) {
    return state.mode() == DictationMode::raw ? Color::timecodeBlue() : VirorezColors::claude();
}

} // namespace ostrelvirorez

namespace ostrelvirorez {

QSizeF MinimalIndicatorModel::contentSize(const DictationState& state, bool hasIcon, double messageHeight) {
    const double icon = hasIcon && showsTargetIcon(state) ? iconSize + spacing : 0;
    const double iconHeight = hasIcon && showsTargetIcon(state) ? iconSize : 0;
    switch (content(state)) {
    case MinimalContent::placeholder: return {1, 1};
    case MinimalContent::recordingDot: return {icon + dotDiameter, std::max(iconHeight, dotDiameter)};
    case MinimalContent::spinner: return {icon + spinnerSize, std::max(iconHeight, spinnerSize)};
    case MinimalContent::checkmark: return {symbolSize, symbolSize};
    case MinimalContent::message: {
        const QMarginsF pad = padding(state);
        return {width(state) - pad.left() - pad.right(), std::max(symbolSize, messageHeight)};
    }
    }
    return {1, 1};
}

QSizeF MinimalIndicatorModel::capsuleSize(const DictationState& state, bool hasIcon, double messageHeight) {
    const QSizeF inner = contentSize(state, hasIcon, messageHeight);
    const QMarginsF pad = padding(state);
    return {inner.width() + pad.left() + pad.right(), inner.height() + pad.top() + pad.bottom()};
}

} // namespace ostrelvirorez
