#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelvirorez {
namespace {

TEST(IndicatorPlacement, PanelSizesPerStyle) {
    EXPECT_EQ(IndicatorPlacement::panelSize(IndicatorStyle::notch), QSizeF(500, 500));
    EXPECT_EQ(IndicatorPlacement::panelSize(IndicatorStyle::overlay), QSizeF(500, 300));
    EXPECT_EQ(IndicatorPlacement::panelSize(IndicatorStyle::minimal), QSizeF(420, 160));
}

TEST(IndicatorPlacement, CentresOnTheFrameAndStandsByTheChosenEdge) {
    // A second display right of the first, with a 30 pt top bar and a 60 pt dock.
    const QRectF frame(1920, 0, 1600, 1000);
    const QRectF visible(1920, 30, 1600, 910);
    struct Case {
        const char* name;
        IndicatorStyle style;
        PillPosition position;
        QPointF origin;
    };
    const std::vector<Case> cases{
        {"notch hangs from the display top", IndicatorStyle::notch, PillPosition::dock, {2470, 0}},
        {"overlay island", IndicatorStyle::overlay, PillPosition::island, {2470, 50}},
        {"overlay free is island", IndicatorStyle::overlay, PillPosition::free, {2470, 50}},
        {"overlay dock", IndicatorStyle::overlay, PillPosition::dock, {2470, 620}},
        {"minimal dock", IndicatorStyle::minimal, PillPosition::dock, {2510, 760}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QSizeF size = IndicatorPlacement::panelSize(c.style);
        EXPECT_EQ(IndicatorPlacement::panelOrigin(c.style, c.position, size, frame, visible), c.origin);
    }
}

} // namespace
} // namespace ostrelvirorez
