#include "OstrelVirorez/UI/Indicator/NotchIndicatorModel.hpp"

#include <algorithm>

namespace ostrelvirorez {
namespace {

using Kind = DictationState::Kind;

bool isWorking(Kind kind) {
    return kind == Kind::recording || kind == Kind::transcribing || kind == Kind::rewriting ||
           kind == Kind::rewritingClipboard;
}

} // namespace

NotchIndicatorModel::NotchIndicatorModel(const DictationState& initial)
    : state_(initial), dotPulse_(initial.kind() == Kind::recording) {}

void NotchIndicatorModel::stateChanged(const DictationState& state) {
    if (state == state_) return;
    state_ = state;
    dotPulse_ = state.kind() == Kind::recording;
}

double NotchIndicatorModel::closedWidth(const NotchGeometry& geometry) {
    return geometry.hasNotch() ? geometry.notchWidth() + 2 * extensionWidth : plainClosedWidth;
}

bool NotchIndicatorModel::hasFeedback(const DictationState& state, bool textFeedback) {
    return textFeedback && state.kind() != Kind::idle;
}

double NotchIndicatorModel::width(const NotchGeometry& geometry, const DictationState& state, bool textFeedback) {
    const double closed = closedWidth(geometry);
    return hasFeedback(state, textFeedback) ? std::max(closed, feedbackWidth) : closed;
}

double NotchIndicatorModel::cornerRadius(const DictationState& state, bool textFeedback) {
    if (hasFeedback(state, textFeedback)) return 22;
    return isWorking(state.kind()) ? 18 : 14;
}

double NotchIndicatorModel::glowCornerRadius(const DictationState& state, bool textFeedback) {
    return hasFeedback(state, textFeedback) ? 28 : 24;
}

bool NotchIndicatorModel::showsGlow(const DictationState& state) { return state.kind() == Kind::recording; }

EarContent NotchIndicatorModel::leftEar(const DictationState& state) {
    switch (state.kind()) {
    case Kind::idle: return EarContent::nothing;
    case Kind::recording:
    case Kind::transcribing:
    case Kind::rewriting:
    case Kind::rewritingClipboard: return EarContent::targetIconOrDot;
    case Kind::injecting:
    case Kind::done: return EarContent::filledCheck;
    case Kind::error: return EarContent::filledCross;
    }
    return EarContent::nothing;
}

EarContent NotchIndicatorModel::rightEar(const DictationState& state) {
    switch (state.kind()) {
    case Kind::idle:
    case Kind::injecting: return EarContent::nothing;
    case Kind::recording: return EarContent::recordingDot;
    case Kind::transcribing:
    case Kind::rewriting:
    case Kind::rewritingClipboard: return EarContent::spinner;
    case Kind::done: return EarContent::plainCheck;
    case Kind::error: return EarContent::plainCross;
    }
    return EarContent::nothing;
}

} // namespace ostrelvirorez
