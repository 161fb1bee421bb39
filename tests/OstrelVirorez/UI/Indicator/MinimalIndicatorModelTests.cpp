#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/MinimalIndicatorModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelvirorez {
namespace {

TEST(MinimalIndicatorModel, WidthContentAndPaddingPerState) {
    struct Case {
        const char* name;
        DictationState state;
        double width;
        MinimalContent content;
        bool icon;
        double horizontalPadding;
    };
    const std::vector<Case> cases{
        {"idle", DictationState::idle(), 42, MinimalContent::placeholder, false, 12},
        {"recording", DictationState::recording(DictationMode::raw), 58, MinimalContent::recordingDot, true, 12},
        {"transcribing", DictationState::transcribing(DictationMode::raw), 76, MinimalContent::spinner, true, 12},
        {"rewriting", DictationState::rewriting(), 76, MinimalContent::spinner, true, 12},
        {"rewriting clipboard", DictationState::rewritingClipboard(), 76, MinimalContent::spinner, true, 12},
        {"injecting", DictationState::injecting(), 44, MinimalContent::checkmark, false, 12},
        {"done", DictationState::done(), 44, MinimalContent::checkmark, false, 12},
        {"error", DictationState::error("No microphone"), 280, MinimalContent::message, false, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MinimalIndicatorModel::width(c.state), c.width);
        EXPECT_EQ(MinimalIndicatorModel::content(c.state), c.content);
        EXPECT_EQ(MinimalIndicatorModel::showsTargetIcon(c.state), c.icon);
        EXPECT_EQ(MinimalIndicatorModel::padding(c.state).left(), c.horizontalPadding);
    }
    EXPECT_EQ(MinimalIndicatorModel::padding(DictationState::error("x")).top(), 9);
    EXPECT_EQ(MinimalIndicatorModel::padding(DictationState::idle()).top(), 10);
}

TEST(MinimalIndicatorModel, DotPulsesFromTheFirstRecordingOn) {
    MinimalIndicatorModel model(DictationState::recording(DictationMode::raw));
    EXPECT_TRUE(model.dotPulse()); // a panel built during the first recording
    model.stateChanged(DictationState::transcribing(DictationMode::raw));
    EXPECT_FALSE(model.dotPulse());
    model.stateChanged(DictationState::idle());
    model.stateChanged(DictationState::recording(DictationMode::claude));
    EXPECT_TRUE(model.dotPulse());
    EXPECT_FALSE(MinimalIndicatorModel(DictationState::idle()).dotPulse());
}

TEST(MinimalIndicatorModel, ColoursAndDotScale) {
    using ostreldesignkit::Color;
    EXPECT_EQ(MinimalIndicatorModel::dotColor(DictationState::recording(DictationMode::raw)), Color::timecodeBlue());
    EXPECT_EQ(MinimalIndicatorModel::dotColor(DictationState::recording(DictationMode::clipboardRewrite)),
              VirorezColors::claude());
    EXPECT_DOUBLE_EQ(MinimalIndicatorModel::dotScale(1), 1.8);
    EXPECT_DOUBLE_EQ(MinimalIndicatorModel::dotScale(0), 1);
    const CapsuleLook error = MinimalIndicatorModel::look(DictationState::error("x"));
    EXPECT_NEAR(error.stroke.alphaF(), 0.55, 0.003);
    EXPECT_NEAR(MinimalIndicatorModel::look(DictationState::idle()).stroke.alphaF(), 0.14, 0.003);
    EXPECT_TRUE(MinimalIndicatorModel::alignsToBottom(PillPosition::dock));
    EXPECT_FALSE(MinimalIndicatorModel::alignsToBottom(PillPosition::free));
}

} // namespace
} // namespace ostrelvirorez
