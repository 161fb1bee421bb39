#include "OstrelVirorez/UI/Indicator/OverlayIndicatorModel.hpp"

#include <algorithm>

namespace ostrelvirorez {
namespace {

using Kind = DictationState::Kind;

bool isProcessing(Kind kind) {
    return kind == Kind::transcribing || kind == Kind::rewriting || kind == Kind::rewritingClipboard;
}

} // namespace

OverlayIndicatorModel::OverlayIndicatorModel(const DictationState& initial, double closedWidth)
    : state_(initial), dotPulse_(initial.kind() == Kind::recording), closedWidth_(closedWidth) {}

void OverlayIndicatorModel::stateChanged(const DictationState& state) {
    if (state == state_) return;
    state_ = state;
    dotPulse_ = state.kind() == Kind::recording;
}

bool OverlayIndicatorModel::hasExpandedContent(const DictationState& state, bool textFeedback) {
    const Kind kind = state.kind();
    return textFeedback && (isProcessing(kind) || kind == Kind::done || kind == Kind::error);
}

double OverlayIndicatorModel::width(const DictationState& state, bool textFeedback) const {
    return hasExpandedContent(state, textFeedback) ? std::max(closedWidth_, expandedWidth) : closedWidth_;
}

QString OverlayIndicatorModel::processingLabel(const DictationState& state) {
    switch (state.kind()) {
    case Kind::transcribing: return QStringLiteral("Transcribing");
    case Kind::rewriting: return QStringLiteral("Rewriting");
    case Kind::rewritingClipboard: return QStringLiteral("Clipboard");
    default: return {};
    }
}

OverlayLeft OverlayIndicatorModel::leftStatus(const DictationState& state) {
    const Kind kind = state.kind();
    if (kind == Kind::recording || isProcessing(kind)) return OverlayLeft::iconAndDot;
    if (kind == Kind::injecting || kind == Kind::done) return OverlayLeft::filledCheck;
    if (kind == Kind::error) return OverlayLeft::filledCross;
    return OverlayLeft::nothing;
}

OverlayRight OverlayIndicatorModel::rightContent(const DictationState& state, bool textFeedback) {
    const Kind kind = state.kind();
    if (kind == Kind::recording) return OverlayRight::recordingDot;
    if (isProcessing(kind)) return textFeedback ? OverlayRight::spinner : OverlayRight::labelAndSpinner;
    if (textFeedback) return OverlayRight::nothing; // the words move into the section below
    if (kind == Kind::done) return OverlayRight::doneWord;
    if (kind == Kind::error) return OverlayRight::errorMessage;
    return OverlayRight::nothing;
}

bool OverlayIndicatorModel::showsWaveform(const DictationState& state) { return state.kind() == Kind::recording; }

DotShadow OverlayIndicatorModel::dotShadow(double pulse) {
    return {0.2 + (0.8 - 0.2) * pulse, 2 + (6 - 2) * pulse};
}

} // namespace ostrelvirorez
