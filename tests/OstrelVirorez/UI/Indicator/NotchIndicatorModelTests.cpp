#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"
#include "OstrelVirorez/UI/Indicator/NotchIndicatorModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

const ScreenDescription plainScreen{QRectF(0, 0, 1920, 1080), 0, {}, {}};
ScreenDescription notched(double notchWidth) {
    const double side = (1512 - notchWidth + 4) / 2;
    return {QRectF(0, 0, 1512, 982), 38, QRectF(0, 0, side, 38), QRectF(1512 - side, 0, side, 38)};
}

TEST(NotchIndicatorModel, WidthAndRadiusFollowNotchAndFeedback) {
    const auto recording = DictationState::recording(DictationMode::raw);
    struct Case {
        const char* name;
        ScreenDescription screen;
        DictationState state;
        bool feedback;
        double width;
        double radius;
    };
    const std::vector<Case> cases{
        {"plain screen, feedback off", plainScreen, recording, false, 200, 18},
        {"notch 185, feedback off", notched(185), recording, false, 305, 18},
        {"notch 185, feedback on", notched(185), recording, true, 340, 22},
        {"notch 240, feedback on stays wider", notched(240), recording, true, 360, 22},
        {"idle never has feedback", notched(185), DictationState::idle(), true, 305, 14},
        {"done without feedback", plainScreen, DictationState::done(), false, 200, 14},
        {"transcribing without feedback", plainScreen, DictationState::transcribing(DictationMode::raw), false, 200,
         18},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NotchGeometry geometry(c.screen);
        EXPECT_DOUBLE_EQ(NotchIndicatorModel::width(geometry, c.state, c.feedback), c.width);
        EXPECT_EQ(NotchIndicatorModel::cornerRadius(c.state, c.feedback), c.radius);
    }
    EXPECT_EQ(NotchIndicatorModel::glowCornerRadius(recording, true), 28);
    EXPECT_EQ(NotchIndicatorModel::glowCornerRadius(recording, false), 24);
    EXPECT_EQ(NotchIndicatorModel::rightEarPadding(NotchGeometry(plainScreen)), 20);
    EXPECT_EQ(NotchIndicatorModel::rightEarPadding(NotchGeometry(notched(185))), 34);
}

TEST(NotchIndicatorModel, EarsAndGlowPerState) {
    struct Case {
        const char* name;
        DictationState state;
        EarContent left;
        EarContent right;
        bool glow;
    };
    const std::vector<Case> cases{
        {"idle", DictationState::idle(), EarContent::nothing, EarContent::nothing, false},
        {"recording", DictationState::recording(DictationMode::raw), EarContent::targetIconOrDot,
         EarContent::recordingDot, true},
        {"rewriting", DictationState::rewriting(), EarContent::targetIconOrDot, EarContent::spinner, false},
        {"injecting", DictationState::injecting(), EarContent::filledCheck, EarContent::nothing, false},
        {"done", DictationState::done(), EarContent::filledCheck, EarContent::plainCheck, false},
        {"error", DictationState::error("x"), EarContent::filledCross, EarContent::plainCross, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NotchIndicatorModel::leftEar(c.state), c.left);
        EXPECT_EQ(NotchIndicatorModel::rightEar(c.state), c.right);
        EXPECT_EQ(NotchIndicatorModel::showsGlow(c.state), c.glow);
    }
}

TEST(NotchIndicatorModel, DotPulsesDuringTheFirstRecordingAndScalesWithLevel) {
    NotchIndicatorModel model(DictationState::recording(DictationMode::raw));
    EXPECT_TRUE(model.dotPulse());
    EXPECT_DOUBLE_EQ(model.dotScale(1), 2.1);
    model.stateChanged(DictationState::done());
    EXPECT_FALSE(model.dotPulse());
    EXPECT_DOUBLE_EQ(model.dotScale(0), 1.0);
}

TEST(IndicatorStatus, StateColoursAndFeedbackRows) {
    EXPECT_EQ(IndicatorStatus::stateColor(DictationState::recording(DictationMode::raw)), Color::timecodeBlue());
    EXPECT_EQ(IndicatorStatus::stateColor(DictationState::recording(DictationMode::claude)), VirorezColors::claude());
    EXPECT_EQ(IndicatorStatus::stateColor(DictationState::transcribing(DictationMode::claude)), Color::timecodeBlue());
    EXPECT_EQ(IndicatorStatus::stateColor(DictationState::done()), Color::systemRed());
    struct Case {
        const char* name;
        DictationState state;
        std::optional<QString> text;
    };
    const std::vector<Case> cases{
        {"transcribing", DictationState::transcribing(DictationMode::raw), QStringLiteral("Transcribing…")},
        {"rewriting", DictationState::rewriting(), QStringLiteral("Claude is rewriting…")},
        {"clipboard", DictationState::rewritingClipboard(), QStringLiteral("Rewriting clipboard…")},
        {"done", DictationState::done(), QStringLiteral("Done")},
        {"error", DictationState::error("Microphone unavailable"), QStringLiteral("Microphone unavailable")},
        {"recording", DictationState::recording(DictationMode::raw), std::nullopt},
        {"injecting", DictationState::injecting(), std::nullopt},
        {"idle", DictationState::idle(), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto row = IndicatorStatus::feedback(c.state);
        ASSERT_EQ(row.has_value(), c.text.has_value());
        if (row) {
            EXPECT_EQ(row->text, *c.text);
        }
    }
    EXPECT_EQ(IndicatorStatus::feedback(DictationState::done())->icon, "checkmark.circle.fill");
}

} // namespace
} // namespace ostrelvirorez
