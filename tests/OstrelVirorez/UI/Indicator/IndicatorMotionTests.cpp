// The indicator moves instead of jumping: each style eases its shape's size
// and corner radius to a new state along its own timing and fades the new
// state's content in over the old one's, on the virtual clock.

#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"
#include "OstrelVirorez/UI/Indicator/MinimalIndicatorView.hpp"
#include "OstrelVirorez/UI/Indicator/NotchIndicatorView.hpp"
#include "OstrelVirorez/UI/Indicator/OverlayIndicatorView.hpp"
#include "OstrelVirorez/UI/IndicatorPanel.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <memory>

namespace ostrelvirorez {
namespace {

using namespace std::chrono_literals;

const ScreenDescription plainScreen{QRectF(0, 0, 1920, 1080), 0, {}, {}};

QImage render(QWidget& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Where a measure easing from `from` to `to` along `curve` stands after
// `fraction` of its duration.
double eased(double from, double to, Curve curve, double fraction) {
    return from + (to - from) * ease(curve, fraction);
}

class IndicatorMotionTest : public ::testing::Test {
protected:
    IndicatorMotionTest() { testing::testApplication(); }

    platform::ManualClock clock;
    IndicatorAnimations animations{clock};
};

TEST_F(IndicatorMotionTest, TheNotchShapeEasesOutItsSizeAndEasesItsCornersWithTheState) {
    NotchGeometry geometry(plainScreen);
    geometry.setPresented(true);
    NotchIndicatorView view(geometry, DictationState::idle());
    view.animateWith(animations);
    view.setState(DictationState::transcribing(DictationMode::raw));
    EXPECT_EQ(view.shapeRect().size(), QSizeF(200, 32)) << "nothing has moved yet";
    EXPECT_EQ(view.cornerRadius(), 14);

    clock.advance(90ms);
    EXPECT_NEAR(view.shapeRect().width(), eased(200, 340, Curve::easeOut, 90.0 / 240), 1e-9);
    EXPECT_NEAR(view.shapeRect().height(), eased(32, 72, Curve::easeOut, 90.0 / 240), 1e-9);
    EXPECT_NEAR(view.cornerRadius(), eased(14, 22, Curve::easeInOut, 0.5), 1e-9);
    clock.advance(90ms);
    EXPECT_EQ(view.cornerRadius(), 22);
    EXPECT_LT(view.shapeRect().width(), 340);
    clock.advance(60ms);
    EXPECT_EQ(view.shapeRect().size(), QSizeF(340, 72));
    EXPECT_FALSE(animations.isAnimating());
}

TEST_F(IndicatorMotionTest, TheOverlayPillWidensOverAQuarterSecondAndGrowsWithTheState) {
    OverlayIndicatorView view(DictationState::recording(DictationMode::raw));
    view.animateWith(animations);
    const double closedHeight = view.pillRect().height();
    view.setState(DictationState::transcribing(DictationMode::raw));
    const double expandedHeight = OverlayIndicatorView(DictationState::transcribing(DictationMode::raw)).pillRect().height();
    ASSERT_EQ(closedHeight, 48);
    ASSERT_GT(expandedHeight, 48) << "the feedback section";

    clock.advance(100ms);
    EXPECT_NEAR(view.pillRect().width(), eased(280, 340, Curve::easeInOut, 0.4), 1e-9);
    EXPECT_NEAR(view.pillRect().height(), eased(48, expandedHeight, Curve::easeInOut, 0.5), 1e-9);
    clock.advance(100ms);
    EXPECT_EQ(view.pillRect().height(), expandedHeight);
    EXPECT_LT(view.pillRect().width(), 340);
    clock.advance(50ms);
    EXPECT_EQ(view.pillRect().width(), 340);
}

TEST_F(IndicatorMotionTest, TheMinimalCapsuleGrowsToTheErrorOverAFifthOfASecond) {
    MinimalIndicatorView view(DictationState::recording(DictationMode::raw), PillPosition::island);
    view.animateWith(animations);
    const QSizeF recording = view.capsuleRect().size();
    view.setState(DictationState::error("Microphone unavailable"));
    const QSizeF error =
        MinimalIndicatorView(DictationState::error("Microphone unavailable"), PillPosition::island).capsuleRect().size();
    ASSERT_EQ(recording, QSizeF(30, 26));
    ASSERT_EQ(error.width(), 280);

    clock.advance(100ms);
    EXPECT_NEAR(view.capsuleRect().width(), eased(30, 280, Curve::easeInOut, 0.5), 1e-9);
    EXPECT_NEAR(view.capsuleRect().height(), eased(26, error.height(), Curve::easeInOut, 0.5), 1e-9);
    clock.advance(100ms);
    EXPECT_EQ(view.capsuleRect().size(), error);
}

// Renders a view moving from `from` to `to`: at first it looks exactly like a
// view standing in `from`, at the end exactly like one standing in `to`, and
// halfway like neither.
template <typename Make>
void expectNoJump(Make make, const DictationState& from, const DictationState& to,
                  std::chrono::milliseconds duration) {
    platform::ManualClock clock;
    IndicatorAnimations animations(clock);
    auto moving = make(from);
    moving->animateWith(animations);
    const auto before = make(from);
    const auto after = make(to);
    moving->setState(to);
    EXPECT_EQ(render(*moving), render(*before)) << "the old state stands at first";
    clock.advance(duration / 2);
    const QImage halfway = render(*moving);
    EXPECT_NE(halfway, render(*before));
    EXPECT_NE(halfway, render(*after));
    clock.advance(duration / 2);
    EXPECT_EQ(render(*moving), render(*after)) << "the new state at the end";
}

TEST_F(IndicatorMotionTest, EveryStyleCrossFadesItsContentAndMovesItsShape) {
    NotchGeometry geometry(plainScreen);
    geometry.setPresented(true);
    // The dot's pulse and the glow's breath move on clocks of their own; here they stand still.
    const auto notchView = [&](const DictationState& state) {
        auto view = std::make_unique<NotchIndicatorView>(geometry, state);
        view->setMotion(1, 1, 1, 0);
        return view;
    };
    {
        SCOPED_TRACE("notch: a transcription ends");
        expectNoJump(notchView,
                     DictationState::transcribing(DictationMode::raw), DictationState::idle(), 240ms);
    }
    {
        SCOPED_TRACE("notch: a recording's glow fades out");
        expectNoJump(notchView,
                     DictationState::recording(DictationMode::claude), DictationState::transcribing(DictationMode::claude),
                     240ms);
    }
    {
        SCOPED_TRACE("overlay: recording to transcribing");
        expectNoJump([](const DictationState& state) { return std::make_unique<OverlayIndicatorView>(state); },
                     DictationState::recording(DictationMode::raw), DictationState::transcribing(DictationMode::raw),
                     250ms);
    }
    {
        SCOPED_TRACE("minimal: recording to an error");
        expectNoJump(
            [](const DictationState& state) {
                auto view = std::make_unique<MinimalIndicatorView>(state, PillPosition::dock);
                view->setMotion(1, 0);
                return view;
            },
            DictationState::recording(DictationMode::raw), DictationState::error("Microphone unavailable"), 200ms);
    }
}

TEST_F(IndicatorMotionTest, ThePanelMovesItsViewOnTheQueuesFrames) {
    platform::ManualMainQueue queue;
    NotchGeometry geometry(plainScreen);
    IndicatorInputs inputs;
    inputs.state = DictationState::recording(DictationMode::raw);
    IndicatorPanel panel(IndicatorStyle::overlay, inputs, geometry, queue, queue.clock());
    panel.present();
    const auto& view = dynamic_cast<const OverlayIndicatorView&>(*panel.hostedView());
    inputs.state = DictationState::transcribing(DictationMode::raw);
    panel.apply(inputs);
    queue.advance(125ms);
    EXPECT_NEAR(view.pillRect().width(), eased(280, 340, Curve::easeInOut, 0.5), 1e-9);
    queue.advance(200ms);
    EXPECT_EQ(view.pillRect().width(), 340);
    panel.orderOut();
}

} // namespace
} // namespace ostrelvirorez
