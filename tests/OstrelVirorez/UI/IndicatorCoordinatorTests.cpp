#include "OstrelVirorez/UI/IndicatorCoordinator.hpp"

#include "OstrelVirorez/UI/IndicatorPanel.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <chrono>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

class IndicatorCoordinatorTest : public AppStateFixture {
protected:
    IndicatorCoordinatorTest() {
        testApplication();
        launch();
    }
    ~IndicatorCoordinatorTest() override { coordinator.reset(); }

    void show() { coordinator->show(*appState); }
    bool panelVisible() const { return coordinator->panel() != nullptr && coordinator->panel()->isVisible(); }

    std::unique_ptr<IndicatorCoordinator> coordinator = std::make_unique<IndicatorCoordinator>(queue);
};

TEST_F(IndicatorCoordinatorTest, DoesNothingWhenSetNeverToShow) {
    settings.setIndicatorVisibility(IndicatorVisibility::never);
    show();
    EXPECT_EQ(coordinator->showGeneration(), 0);
    EXPECT_EQ(coordinator->panel(), nullptr);
    coordinator->hide();
    queue.advance(1s);
}

TEST_F(IndicatorCoordinatorTest, ShowsAPanelThatNeitherTakesFocusNorClicks) {
    show();
    ASSERT_TRUE(panelVisible());
    EXPECT_EQ(coordinator->showGeneration(), 1);
    const IndicatorPanel& panel = *coordinator->panel();
    const Qt::WindowFlags flags = panel.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(panel.isActiveWindow());
}

TEST_F(IndicatorCoordinatorTest, ThePanelShowsTheStateAsItChanges) {
    show();
    EXPECT_EQ(coordinator->panel()->text(), QStringLiteral("Idle"));
    appState->state.set(DictationState::recording(DictationMode::claude));
    EXPECT_EQ(coordinator->panel()->text(), QStringLiteral("Recording (Claude)"));
}

TEST_F(IndicatorCoordinatorTest, ReusesThePanelUntilTheStyleChanges) {
    settings.setIndicatorStyle(IndicatorStyle::overlay);
    show();
    const IndicatorPanel* first = coordinator->panel();
    show();
    EXPECT_EQ(coordinator->panel(), first);
    EXPECT_EQ(coordinator->showGeneration(), 2);

    settings.setIndicatorStyle(IndicatorStyle::minimal);
    show();
    EXPECT_NE(coordinator->panel(), first);
    EXPECT_EQ(coordinator->builtStyle(), IndicatorStyle::minimal);
    EXPECT_TRUE(panelVisible());
}

TEST_F(IndicatorCoordinatorTest, HidesAfterTheFadeUnlessShownAgainMeanwhile) {
    coordinator->hide();
    EXPECT_EQ(coordinator->panel(), nullptr);

    show();
    coordinator->hide();
    EXPECT_TRUE(panelVisible()) << "fading";
    queue.advance(IndicatorCoordinator::fadeDuration);
    EXPECT_FALSE(panelVisible());
    ASSERT_NE(coordinator->panel(), nullptr) << "kept for reuse";

    show();
    coordinator->hide();
    queue.advance(IndicatorCoordinator::fadeDuration / 2);
    show();
    queue.advance(IndicatorCoordinator::fadeDuration);
    EXPECT_TRUE(panelVisible());
}

TEST_F(IndicatorCoordinatorTest, APendingHideIsDroppedWithTheCoordinator) {
    show();
    coordinator->hide();
    coordinator.reset();
    queue.advance(1s);
}

} // namespace
} // namespace ostrelvirorez::testing
