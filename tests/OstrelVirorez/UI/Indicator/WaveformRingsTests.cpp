#include "OstrelVirorez/UI/Indicator/WaveformRings.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/UI/Indicator/IndicatorReference.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <numbers>
#include <vector>

namespace ostrelvirorez {
namespace {

const auto recordingRaw = DictationState::recording(DictationMode::raw);

TEST(WaveformRings, LevelDecidesHowManyRecordingRingsAreLit) {
    const auto quiet = WaveformRings::visibleRings(5, recordingRaw, 0, 0);
    ASSERT_EQ(quiet.size(), 1u);
    EXPECT_GE(quiet[0].opacity, 0.05);
    EXPECT_LE(quiet[0].opacity, 0.072);
    const auto loud = WaveformRings::visibleRings(5, recordingRaw, 0.3, 0);
    ASSERT_EQ(loud.size(), 5u);
    EXPECT_LT(loud.back().opacity, loud.front().opacity);
}

TEST(WaveformRings, WorkedRingParameters) {
    // Recording, t = 0, level 1, phase 0: w = 0.5, A = 1, q = 1.
    const RingParameters inner = WaveformRings::ring(0, recordingRaw, 1, 0);
    EXPECT_DOUBLE_EQ(inner.radius, 7);
    EXPECT_DOUBLE_EQ(inner.opacity, 0.85 * 0.9);
    EXPECT_DOUBLE_EQ(inner.lineWidth, 1.25);
    // Done at t = 0.5: radius 21.5, opacity 0.4 fading to 0 at phase pi.
    const auto done = DictationState::done();
    EXPECT_DOUBLE_EQ(WaveformRings::ring(0.5, done, 0, 0).radius, 21.5);
    EXPECT_DOUBLE_EQ(WaveformRings::ring(0.5, done, 0, 0).opacity, 0.4);
    EXPECT_DOUBLE_EQ(WaveformRings::ring(0.5, done, 0, std::numbers::pi).opacity, 0);
}

TEST(WaveformRings, ColoursAndDrawingOpacityPerState) {
    struct Case {
        const char* name;
        DictationState state;
        std::optional<QColor> color;
        double drawing;
    };
    const std::vector<Case> cases{
        {"recording raw", recordingRaw, WaveformRings::neonBlue(), 1},
        {"recording claude", DictationState::recording(DictationMode::claude), VirorezColors::claude(), 1},
        {"recording clipboard", DictationState::recording(DictationMode::clipboardRewrite), VirorezColors::claude(), 1},
        {"transcribing", DictationState::transcribing(DictationMode::claude), WaveformRings::neonBlue(), 1},
        {"rewriting", DictationState::rewriting(), VirorezColors::claude(), 1},
        {"done", DictationState::done(), VirorezColors::success(), 1},
        {"error", DictationState::error("x"), std::nullopt, 1},
        {"injecting", DictationState::injecting(), std::nullopt, 0},
        {"idle", DictationState::idle(), std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WaveformRings::color(c.state), c.color);
        EXPECT_EQ(WaveformRings::drawingOpacity(c.state), c.drawing);
    }
}

TEST(WaveformRings, OutOfRangeRingCountsDrawNothingOrAreCapped) {
    EXPECT_TRUE(WaveformRings::visibleRings(0, recordingRaw, 1, 0).empty());
    EXPECT_TRUE(WaveformRings::visibleRings(-3, recordingRaw, 1, 0).empty());
    EXPECT_LE(WaveformRings::visibleRings(1'000'000'000, recordingRaw, 1, 0).size(),
              size_t(WaveformRings::maxRingCount));
}

TEST(WaveformRings, RendersArcsLeftAndRightOfTheCentre) {
    QImage image(120, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    WaveformRings::paint(painter, QSizeF(120, 30), 5, recordingRaw, 1, 0);
    painter.end();
    EXPECT_TRUE(indicatortest::matchesReference(image, "waveform-recording-loud"));
    // Innermost ring radius 7: arcs cross the centre row at x = 60 ± 7; the
    // centre itself and the space straight above it stay empty.
    EXPECT_GT(image.pixelColor(67, 15).alpha(), 0);
    EXPECT_GT(image.pixelColor(53, 15).alpha(), 0);
    EXPECT_EQ(image.pixelColor(60, 15).alpha(), 0);
    EXPECT_EQ(image.pixelColor(60, 2).alpha(), 0);
    EXPECT_GT(image.pixelColor(67, 15).blue(), image.pixelColor(67, 15).red());
}

} // namespace
} // namespace ostrelvirorez
