#include "OstrelDesignKit/Tooltip/OstrelTooltipModel.hpp"
#include "OstrelDesignKit/Tooltip/OstrelTooltipPill.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostreldesignkit {
namespace {

using namespace std::chrono_literals;

class TooltipTest : public ::testing::Test {
protected:
    platform::ManualMainQueue queue;
    OstrelTooltipModel model{QStringLiteral("Expand"), std::nullopt, TooltipEdge::bottom, queue};
};

TEST_F(TooltipTest, ShowsAfterTheDelayOnlyWhileThePointerStaysInside) {
    model.pointerInside(true);
    queue.advance(349ms);
    EXPECT_FALSE(model.isShown());
    queue.advance(1ms);
    EXPECT_TRUE(model.isShown());
    model.pointerInside(false);
    EXPECT_FALSE(model.isShown());
}

TEST_F(TooltipTest, EnteringAndLeavingWithinTheDelayShowsNothing) {
    model.pointerInside(true);
    queue.advance(200ms);
    model.pointerInside(false);
    queue.advance(500ms);
    EXPECT_FALSE(model.isShown());
}

TEST_F(TooltipTest, TheFirstDelayShowsThePillAfterAReentry) {
    model.pointerInside(true);
    queue.advance(100ms);
    model.pointerInside(false);
    queue.advance(100ms);
    model.pointerInside(true);
    queue.advance(150ms); // 350 ms after the first entry
    EXPECT_TRUE(model.isShown());
}

TEST_F(TooltipTest, AClickHidesUntilThePointerLeavesAndReenters) {
    std::vector<bool> changes;
    model.onShownChanged([&](bool shown) { changes.push_back(shown); });
    model.pointerInside(true);
    queue.advance(350ms);
    model.clicked();
    EXPECT_FALSE(model.isShown());
    queue.advance(1s);
    EXPECT_FALSE(model.isShown());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST(TooltipModel, ADelayEndingAfterTheModelIsGoneDoesNothing) {
    platform::ManualMainQueue queue;
    {
        OstrelTooltipModel model(QStringLiteral("Close"), std::nullopt, TooltipEdge::top, queue);
        model.pointerInside(true);
    }
    EXPECT_NO_THROW(queue.advance(1s));
}

TEST(TooltipCorrection, KeepsThePillEightPointsInside) {
    struct Case {
        const char* name;
        double mid;
        double width;
        std::optional<QRectF> container;
        double correction;
    };
    const QRectF area(0, 0, 400, 300);
    const std::vector<Case> cases{
        {"near the left edge", 20, 100, area, 38},
        {"near the right edge", 380, 100, area, -38},
        {"well inside", 200, 100, area, 0},
        {"wider than the area: left limit wins", 200, 500, area, 58},
        {"not measured yet", 20, 0, area, 0},
        {"no container", 20, 100, std::nullopt, 0},
        {"empty container", 20, 100, QRectF(0, 0, 0, 0), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(tooltipHorizontalCorrection(c.mid, c.width, c.container), c.correction);
    }
}

TEST(TooltipModel, PillSitsAboveForTopAndBelowForEveryOtherEdge) {
    platform::ManualMainQueue queue;
    for (const auto edge : {TooltipEdge::top, TooltipEdge::leading, TooltipEdge::bottom, TooltipEdge::trailing}) {
        OstrelTooltipModel model(QStringLiteral("Tip"), std::nullopt, edge, queue);
        model.setAnchorFrame(QRectF(100, 100, 40, 20));
        model.setPillSize(QSizeF(60, 24));
        const QRectF frame = model.pillFrame(std::nullopt);
        EXPECT_DOUBLE_EQ(frame.center().x(), 120);
        EXPECT_DOUBLE_EQ(frame.top(), edge == TooltipEdge::top ? 70 : 126);
    }
}

TEST(TooltipPill, WrapsLongTextWithinItsMaximumWidth) {
    testing::kitApplication();
    OstrelTooltipPill pill(QStringLiteral("A rather long explanation that cannot fit on one line of the pill"),
                           QStringLiteral("Ctrl+E"));
    pill.adjustSize();
    EXPECT_LE(pill.width(), 220);
    QImage image(pill.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    pill.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    testing::expectLooksAsKept(image, "tooltip-pill");
    EXPECT_EQ(image.pixelColor(3, image.height() / 2).rgb(), OstrelTooltipPill::fill().rgb());
}

} // namespace
} // namespace ostreldesignkit
