#include "OstrelVirorez/UI/IndicatorCoordinator.hpp"

#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"
#include "OstrelVirorez/UI/Indicator/MinimalIndicatorView.hpp"
#include "OstrelVirorez/UI/Indicator/NotchIndicatorView.hpp"
#include "OstrelVirorez/UI/Indicator/OverlayIndicatorView.hpp"
#include "OstrelVirorez/UI/IndicatorPanel.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

// The primary display with a 30 pt top bar and a 60 pt dock, and a second
// one to its right.
const ScreenDescription primaryScreen{QRectF(0, 0, 1920, 1080), 0, {}, {}, QRectF(0, 30, 1920, 990)};
const ScreenDescription secondScreen{QRectF(1920, 0, 1600, 1000), 0, {}, {}, QRectF(1920, 30, 1600, 910)};
// A display with a camera housing 185 pt wide and 38 pt tall.
const ScreenDescription notchedScreen{QRectF(0, 0, 1512, 982), 38, QRectF(0, 0, 665.5, 38),
                                      QRectF(846.5, 0, 665.5, 38), QRectF(0, 38, 1512, 880)};

class IndicatorCoordinatorTest : public AppStateFixture {
protected:
    IndicatorCoordinatorTest() {
        testApplication();
        launch();
    }
    ~IndicatorCoordinatorTest() override { coordinator.reset(); }

    void show() { coordinator->show(*appState); }
    bool panelVisible() const { return coordinator->panel() != nullptr && coordinator->panel()->isVisible(); }
    const IndicatorPanel& panel() const { return *coordinator->panel(); }
    // A bit more than the fade, so that the frame that sees it end has run.
    void letTheFadeEnd() { queue.advance(IndicatorCoordinator::fadeDuration + 2 * FrameTicker::interval); }

    std::optional<ScreenDescription> screen = primaryScreen;
    std::unique_ptr<IndicatorCoordinator> coordinator =
        std::make_unique<IndicatorCoordinator>(queue, queue.clock(), [this] { return screen; });
};

TEST_F(IndicatorCoordinatorTest, ShowsAPanelThatNeitherTakesFocusNorClicks) {
    show();
    ASSERT_TRUE(panelVisible());
    EXPECT_EQ(coordinator->showGeneration(), 1);
    const Qt::WindowFlags flags = panel().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel().testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel().testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(panel().isActiveWindow());
}

TEST_F(IndicatorCoordinatorTest, FirstDictationWithTheDefaultsOpensTheNotchViewAtTheTopEdge) {
    screen = notchedScreen;
    show();
    ASSERT_TRUE(panelVisible());
    EXPECT_EQ(coordinator->builtStyle(), IndicatorStyle::notch);
    EXPECT_EQ(panel().size(), QSize(500, 500));
    EXPECT_EQ(panel().pos(), QPoint(506, 0));
    EXPECT_NE(dynamic_cast<NotchIndicatorView*>(panel().hostedView()), nullptr);
    EXPECT_TRUE(coordinator->notchGeometry().hasNotch()) << "measured on the display under the pointer";
    EXPECT_DOUBLE_EQ(coordinator->notchGeometry().notchWidth(), 185);
    EXPECT_FALSE(coordinator->notchGeometry().isPresented()) << "closed until the main thread yields once";
    queue.runUntilIdle();
    EXPECT_TRUE(coordinator->notchGeometry().isPresented());
    EXPECT_LT(panel().animations().openness(), 0.01);
    queue.advance(110ms);
    EXPECT_GT(panel().animations().openness(), 0.6);
    queue.advance(110ms);
    EXPECT_DOUBLE_EQ(panel().animations().openness(), 1);
}

TEST_F(IndicatorCoordinatorTest, PlacesThePanelOnTheScreenUnderThePointer) {
    struct Case {
        const char* name;
        IndicatorStyle style;
        PillPosition position;
        ScreenDescription screen;
        QPoint origin;
    };
    const std::vector<Case> cases{
        {"notch on a plain screen", IndicatorStyle::notch, PillPosition::island, primaryScreen, {710, 0}},
        {"overlay island", IndicatorStyle::overlay, PillPosition::island, primaryScreen, {710, 50}},
        {"overlay free stands like island", IndicatorStyle::overlay, PillPosition::free, primaryScreen, {710, 50}},
        {"overlay dock", IndicatorStyle::overlay, PillPosition::dock, primaryScreen, {710, 700}},
        {"minimal dock", IndicatorStyle::minimal, PillPosition::dock, primaryScreen, {750, 840}},
        {"overlay on the second display", IndicatorStyle::overlay, PillPosition::island, secondScreen, {2470, 50}},
        {"notch on the second display", IndicatorStyle::notch, PillPosition::island, secondScreen, {2470, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setIndicatorStyle(c.style);
        settings.setPillPosition(c.position);
        screen = c.screen;
        show();
        EXPECT_EQ(panel().pos(), c.origin);
        EXPECT_EQ(QSizeF(panel().size()), IndicatorPlacement::panelSize(c.style));
    }
}

TEST_F(IndicatorCoordinatorTest, WithoutAnyScreenTheNotchFallsBackToTheBar) {
    screen = std::nullopt;
    IndicatorCoordinator lonely(queue, queue.clock(), [] { return std::optional<ScreenDescription>(); });
    lonely.show(*appState);
    EXPECT_FALSE(lonely.notchGeometry().hasNotch());
    EXPECT_EQ(lonely.notchGeometry().notchHeight(), 32);
    EXPECT_TRUE(lonely.panel()->isVisible());
    lonely.hide();
    queue.advance(1s);
}

TEST_F(IndicatorCoordinatorTest, HostsTheViewOfTheStyleAndReusesItUntilTheStyleChanges) {
    settings.setIndicatorStyle(IndicatorStyle::overlay);
    show();
    const IndicatorPanel* first = coordinator->panel();
    EXPECT_NE(dynamic_cast<OverlayIndicatorView*>(first->hostedView()), nullptr);
    show();
    EXPECT_EQ(coordinator->panel(), first) << "same panel, no new one built";
    EXPECT_EQ(coordinator->showGeneration(), 2);

    settings.setIndicatorStyle(IndicatorStyle::minimal);
    show();
    EXPECT_NE(coordinator->panel(), first);
    EXPECT_EQ(coordinator->builtStyle(), IndicatorStyle::minimal);
    EXPECT_EQ(panel().size(), QSize(420, 160));
    EXPECT_NE(dynamic_cast<MinimalIndicatorView*>(panel().hostedView()), nullptr);
    EXPECT_TRUE(panelVisible());
}

TEST_F(IndicatorCoordinatorTest, TheViewFollowsTheDictation) {
    settings.setIndicatorStyle(IndicatorStyle::overlay);
    settings.setIndicatorTextFeedback(false);
    press(DictationMode::raw);
    show();
    auto* view = dynamic_cast<OverlayIndicatorView*>(panel().hostedView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->model().state(), DictationState::recording(DictationMode::raw));
    EXPECT_TRUE(view->model().dotPulse()) << "the first dictation pulses too";
    appState->audioLevelMonitor.level.set(0.5f);
    appState->liveTranscriptMonitor.isActive.set(true);
    appState->liveTranscriptMonitor.preview.set("hallo welt");
    EXPECT_EQ(view->transcriptLines(), QStringList{"hallo welt"});
    EXPECT_TRUE(panel().isAnimating()) << "the dot pulses and the rings run";

    settings.setIndicatorTextFeedback(true); // read afresh at the next change
    appState->state.set(DictationState::transcribing(DictationMode::raw));
    queue.advance(300ms); // the pill widens over 0.25 s
    EXPECT_EQ(view->pillRect().width(), 340);
    EXPECT_FALSE(view->model().dotPulse());
}

TEST_F(IndicatorCoordinatorTest, HideFadesThenOrdersOutUnlessShownAgainMeanwhile) {
    coordinator->hide();
    EXPECT_EQ(coordinator->panel(), nullptr) << "nothing to hide";

    settings.setIndicatorStyle(IndicatorStyle::overlay);
    show();
    coordinator->hide();
    queue.advance(125ms);
    EXPECT_TRUE(panelVisible()) << "fading";
    EXPECT_LT(panel().windowOpacity(), 0.9);
    letTheFadeEnd();
    EXPECT_FALSE(panelVisible());
    ASSERT_NE(coordinator->panel(), nullptr) << "kept for reuse";
    EXPECT_LT(panel().windowOpacity(), 0.01);

    show();
    EXPECT_EQ(panel().windowOpacity(), 1) << "opaque again at once";
    coordinator->hide();
    queue.advance(IndicatorCoordinator::fadeDuration / 2);
    show();
    EXPECT_EQ(panel().windowOpacity(), 1);
    letTheFadeEnd();
    EXPECT_TRUE(panelVisible());
}

TEST_F(IndicatorCoordinatorTest, HideClosesAnOpenNotchViewBeforeOrderingOut) {
    show();
    queue.runUntilIdle();
    coordinator->hide();
    EXPECT_FALSE(coordinator->notchGeometry().isPresented());
    EXPECT_EQ(panel().windowOpacity(), 1) << "the notch view closes, the panel does not fade";
    queue.advance(IndicatorCoordinator::fadeDuration - 1ms);
    EXPECT_TRUE(panelVisible());
    queue.advance(1ms);
    EXPECT_FALSE(panelVisible());

    show(); // a new dictation within the close: reopened, stays
    queue.runUntilIdle();
    coordinator->hide();
    queue.advance(100ms);
    show();
    queue.advance(1s);
    EXPECT_TRUE(panelVisible());
    EXPECT_TRUE(coordinator->notchGeometry().isPresented());
}

TEST_F(IndicatorCoordinatorTest, AStyleChangeOrdersTheOldPanelOutAndThePendingHideSparesTheNewOne) {
    settings.setIndicatorStyle(IndicatorStyle::overlay);
    show();
    coordinator->hide();
    queue.advance(50ms);
    settings.setIndicatorStyle(IndicatorStyle::minimal);
    show();
    letTheFadeEnd();
    EXPECT_TRUE(panelVisible());
    EXPECT_EQ(coordinator->builtStyle(), IndicatorStyle::minimal);
}

TEST_F(IndicatorCoordinatorTest, ASuppressedShowChangesNothingAndLetsThePendingHideAct) {
    settings.setIndicatorStyle(IndicatorStyle::overlay);
    show();
    coordinator->hide();
    settings.setIndicatorVisibility(IndicatorVisibility::never);
    show();
    EXPECT_EQ(coordinator->showGeneration(), 1);
    letTheFadeEnd();
    EXPECT_FALSE(panelVisible());

    IndicatorCoordinator never(queue, queue.clock(), [this] { return screen; });
    never.show(*appState);
    EXPECT_EQ(never.showGeneration(), 0);
    EXPECT_EQ(never.panel(), nullptr);
}

TEST_F(IndicatorCoordinatorTest, PendingStepsAreDroppedWithTheCoordinator) {
    show();
    coordinator->hide();
    coordinator.reset();
    queue.advance(1s);

    coordinator = std::make_unique<IndicatorCoordinator>(queue, queue.clock(), [this] { return screen; });
    settings.setIndicatorStyle(IndicatorStyle::overlay);
    show();
    coordinator->hide();
    queue.advance(100ms);
    coordinator.reset();
    queue.advance(1s);
    appState->state.set(DictationState::idle()); // no observer is left behind
}

} // namespace
} // namespace ostrelvirorez::testing
