#include "OstrelVirorez/UI/Indicator/FrameTicker.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace ostrelvirorez {
namespace {

using namespace std::chrono_literals;
constexpr double pi = std::numbers::pi;

TEST(Tween, CurvesAndRepeats) {
    EXPECT_DOUBLE_EQ(ease(Curve::linear, 0.25), 0.25);
    EXPECT_NEAR(ease(Curve::easeInOut, 0.5), 0.5, 1e-3);
    EXPECT_LT(ease(Curve::easeIn, 0.5), 0.4);  // slow start
    EXPECT_GT(ease(Curve::easeOut, 0.5), 0.6); // slow end
    for (const Curve curve : {Curve::linear, Curve::easeIn, Curve::easeOut, Curve::easeInOut}) {
        EXPECT_NEAR(ease(curve, 0), 0, 1e-9);
        EXPECT_NEAR(ease(curve, 1), 1, 1e-9);
    }

    const Tween::TimePoint t0{};
    const Tween loop = Tween::between(0, 10, t0, 1s, Curve::linear, Repeat::loop);
    EXPECT_DOUBLE_EQ(loop.value(t0 + 250ms), 2.5);
    EXPECT_DOUBLE_EQ(loop.value(t0 + 1250ms), 2.5) << "starts over from the beginning";
    EXPECT_FALSE(loop.isFinished(t0 + 100s));
    const Tween swing = Tween::between(0, 10, t0, 1s, Curve::linear, Repeat::autoreverse);
    EXPECT_DOUBLE_EQ(swing.value(t0 + 1250ms), 7.5) << "comes back";
    EXPECT_DOUBLE_EQ(swing.value(t0 + 2250ms), 2.5);
    const Tween once = Tween::between(4, 8, t0, 1s, Curve::linear);
    EXPECT_DOUBLE_EQ(once.value(t0 + 5s), 8);
    EXPECT_TRUE(once.isFinished(t0 + 1s));
    EXPECT_FALSE(once.isFinished(t0 + 999ms));
}

class IndicatorAnimationsTest : public ::testing::Test {
protected:
    void advance(std::chrono::milliseconds by) { clock.advance(by); }
    platform::ManualClock clock;
    IndicatorAnimations animations{clock};
};

TEST_F(IndicatorAnimationsTest, TheDotPulsesASecondEachWayAndSettlesWhenStopped) {
    EXPECT_EQ(animations.pulse(), 0);
    EXPECT_FALSE(animations.isAnimating());
    animations.setPulsing(true);
    advance(500ms);
    EXPECT_NEAR(animations.pulse(), 0.5, 1e-3);
    advance(500ms);
    EXPECT_NEAR(animations.pulse(), 1, 1e-9);
    advance(1000ms);
    EXPECT_NEAR(animations.pulse(), 0, 1e-9);
    EXPECT_TRUE(animations.isAnimating());
    advance(1000ms);
    animations.setPulsing(false); // at the top of a swing
    EXPECT_NEAR(animations.pulse(), 1, 1e-9);
    advance(1000ms);
    EXPECT_NEAR(animations.pulse(), 0, 1e-9);
    EXPECT_FALSE(animations.isAnimating());
}

TEST_F(IndicatorAnimationsTest, TheGlowBreathesFromWhenItIsShown) {
    animations.setGlowShown(true);
    advance(1600ms);
    EXPECT_NEAR(animations.breath(), 1, 1e-9);
    advance(800ms);
    EXPECT_NEAR(animations.breath(), 0.5, 1e-3);
    animations.setGlowShown(false);
    EXPECT_EQ(animations.breath(), 0);
    animations.setGlowShown(true);
    EXPECT_EQ(animations.breath(), 0) << "shown again, it starts afresh";
}

TEST_F(IndicatorAnimationsTest, RingPhaseRestartsWithEveryState) {
    animations.stateChanged(DictationState::recording(DictationMode::raw));
    advance(750ms);
    EXPECT_NEAR(animations.ringPhase(), pi, 1e-9) << "linear, 2π in 1.5 s";
    advance(1500ms);
    EXPECT_NEAR(animations.ringPhase(), pi, 1e-9) << "and again";
    animations.stateChanged(DictationState::transcribing(DictationMode::raw));
    EXPECT_EQ(animations.ringPhase(), 0);
    animations.stateChanged(DictationState::done());
    advance(400ms);
    EXPECT_GT(animations.ringPhase(), pi / 2) << "ease-out";
    advance(400ms);
    EXPECT_NEAR(animations.ringPhase(), pi, 1e-9);
    animations.stateChanged(DictationState::error("x"));
    EXPECT_EQ(animations.ringPhase(), 0);
}

TEST_F(IndicatorAnimationsTest, RingDrawingFadesOutWhileInjectingAndIdle) {
    animations.stateChanged(DictationState::recording(DictationMode::raw));
    advance(200ms);
    EXPECT_NEAR(animations.ringOpacity(), 1, 1e-9);
    animations.stateChanged(DictationState::injecting());
    advance(100ms);
    EXPECT_NEAR(animations.ringOpacity(), 0.5, 1e-3);
    advance(100ms);
    EXPECT_NEAR(animations.ringOpacity(), 0, 1e-9);
    animations.stateChanged(DictationState::error("x"));
    advance(200ms);
    EXPECT_NEAR(animations.ringOpacity(), 1, 1e-9) << "error keeps the drawing visible";
}

TEST_F(IndicatorAnimationsTest, TheLevelIsSmoothedOver80Milliseconds) {
    animations.setLevel(1);
    EXPECT_EQ(animations.level(), 0);
    advance(40ms);
    EXPECT_GT(animations.level(), 0.6) << "ease-out";
    animations.setLevel(0.5); // continues from where it is
    EXPECT_GT(animations.level(), 0.6);
    advance(80ms);
    EXPECT_NEAR(animations.level(), 0.5, 1e-9);
    EXPECT_FALSE(animations.isAnimating());
}

TEST_F(IndicatorAnimationsTest, OpeningAndFading) {
    animations.setPresented(true, true);
    advance(110ms);
    EXPECT_GT(animations.openness(), 0.6) << "ease-out";
    advance(110ms);
    EXPECT_NEAR(animations.openness(), 1, 1e-9);
    animations.setPresented(false, false);
    EXPECT_EQ(animations.openness(), 0);

    EXPECT_EQ(animations.alpha(), 1);
    animations.fadeOut();
    advance(125ms);
    EXPECT_LT(animations.alpha(), 0.8) << "ease-in";
    EXPECT_FALSE(animations.isFadedOut());
    advance(125ms);
    EXPECT_TRUE(animations.isFadedOut());
    EXPECT_EQ(animations.alpha(), 0);
    animations.makeOpaque();
    EXPECT_EQ(animations.alpha(), 1);
    EXPECT_FALSE(animations.isFadedOut());
}

TEST(FrameTicker, TicksOnTheQueueUntilTheFrameSaysStop) {
    platform::ManualMainQueue queue;
    std::vector<std::chrono::milliseconds> frames;
    const auto start = queue.now();
    FrameTicker ticker(queue, [&] {
        frames.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(queue.now() - start));
        return frames.size() < 3;
    });
    ticker.start();
    ticker.start(); // one pending frame at a time
    queue.advance(1s);
    EXPECT_EQ(frames, (std::vector<std::chrono::milliseconds>{16ms, 32ms, 48ms}));
    EXPECT_FALSE(ticker.isRunning());

    auto dropped = std::make_unique<FrameTicker>(queue, [&] {
        ADD_FAILURE() << "a destroyed ticker drew a frame";
        return false;
    });
    dropped->start();
    dropped.reset();
    queue.advance(1s);
}

} // namespace
} // namespace ostrelvirorez
