#include "OstrelVirorez/UI/Indicator/OverlayIndicatorModel.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelvirorez {
namespace {

using Left = OverlayLeft;
using Right = OverlayRight;

TEST(OverlayIndicatorModel, RowAndWidthPerStateAndFeedback) {
    struct Case {
        const char* name;
        DictationState state;
        bool feedback;
        double width;
        Left left;
        Right right;
        bool waveform;
    };
    const auto recording = DictationState::recording(DictationMode::claude);
    const auto transcribing = DictationState::transcribing(DictationMode::raw);
    const auto error = DictationState::error("Microphone unavailable");
    const std::vector<Case> cases{
        {"idle", DictationState::idle(), true, 280, Left::nothing, Right::nothing, false},
        {"recording never expands", recording, true, 280, Left::iconAndDot, Right::recordingDot, true},
        {"recording, feedback off", recording, false, 280, Left::iconAndDot, Right::recordingDot, true},
        {"transcribing, feedback on", transcribing, true, 340, Left::iconAndDot, Right::spinner, false},
        {"transcribing, feedback off", transcribing, false, 280, Left::iconAndDot, Right::labelAndSpinner, false},
        {"rewriting, feedback on", DictationState::rewriting(), true, 340, Left::iconAndDot, Right::spinner, false},
        {"clipboard, feedback off", DictationState::rewritingClipboard(), false, 280, Left::iconAndDot,
         Right::labelAndSpinner, false},
        {"injecting never expands", DictationState::injecting(), true, 280, Left::filledCheck, Right::nothing, false},
        {"done, feedback on", DictationState::done(), true, 340, Left::filledCheck, Right::nothing, false},
        {"done, feedback off", DictationState::done(), false, 280, Left::filledCheck, Right::doneWord, false},
        {"error, feedback on", error, true, 340, Left::filledCross, Right::nothing, false},
        {"error, feedback off", error, false, 280, Left::filledCross, Right::errorMessage, false},
    };
    const OverlayIndicatorModel model(DictationState::idle());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(model.width(c.state, c.feedback), c.width);
        EXPECT_EQ(OverlayIndicatorModel::hasExpandedContent(c.state, c.feedback), c.width == 340);
        EXPECT_EQ(OverlayIndicatorModel::leftStatus(c.state), c.left);
        EXPECT_EQ(OverlayIndicatorModel::rightContent(c.state, c.feedback), c.right);
        EXPECT_EQ(OverlayIndicatorModel::showsWaveform(c.state), c.waveform);
    }
}

TEST(OverlayIndicatorModel, AWideClosedWidthIsKeptWhenExpanded) {
    const OverlayIndicatorModel wide(DictationState::idle(), 360);
    EXPECT_EQ(wide.width(DictationState::done(), true), 360);
    EXPECT_EQ(wide.width(DictationState::done(), false), 360);
}

TEST(OverlayIndicatorModel, LabelsDotAndTranscript) {
    EXPECT_EQ(OverlayIndicatorModel::processingLabel(DictationState::transcribing(DictationMode::raw)), "Transcribing");
    EXPECT_EQ(OverlayIndicatorModel::processingLabel(DictationState::rewriting()), "Rewriting");
    EXPECT_EQ(OverlayIndicatorModel::processingLabel(DictationState::rewritingClipboard()), "Clipboard");
    EXPECT_EQ(OverlayIndicatorModel::processingLabel(DictationState::done()), "");

    EXPECT_DOUBLE_EQ(OverlayIndicatorModel::dotScale(1), 1.8);
    EXPECT_DOUBLE_EQ(OverlayIndicatorModel::dotShadow(0).opacity, 0.2);
    EXPECT_DOUBLE_EQ(OverlayIndicatorModel::dotShadow(0).radius, 2);
    EXPECT_DOUBLE_EQ(OverlayIndicatorModel::dotShadow(1).opacity, 0.8);
    EXPECT_DOUBLE_EQ(OverlayIndicatorModel::dotShadow(1).radius, 6);

    EXPECT_FALSE(OverlayIndicatorModel::showsTranscript(true, ""));
    EXPECT_FALSE(OverlayIndicatorModel::showsTranscript(false, "hallo"));
    EXPECT_TRUE(OverlayIndicatorModel::showsTranscript(true, "hallo"));
    EXPECT_TRUE(OverlayIndicatorModel::alignsToBottom(PillPosition::dock));
    EXPECT_FALSE(OverlayIndicatorModel::alignsToBottom(PillPosition::free));
}

TEST(OverlayIndicatorModel, PulsesThroughEveryRecordingIncludingTheFirst) {
    OverlayIndicatorModel model(DictationState::recording(DictationMode::raw));
    EXPECT_TRUE(model.dotPulse()) << "built at the start of the first recording";
    model.stateChanged(DictationState::transcribing(DictationMode::raw));
    EXPECT_FALSE(model.dotPulse());
    model.stateChanged(DictationState::idle());
    model.stateChanged(DictationState::recording(DictationMode::claude));
    EXPECT_TRUE(model.dotPulse());
}

} // namespace
} // namespace ostrelvirorez
