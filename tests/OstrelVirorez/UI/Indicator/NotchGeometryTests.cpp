#include "OstrelVirorez/UI/Indicator/NotchGeometry.hpp"
#include "OstrelVirorez/UI/Indicator/NotchShape.hpp"
#include "OstrelVirorez/UI/Indicator/ScreenDescription.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelvirorez {
namespace {

TEST(NotchGeometry, MeasuresNotchedAndPlainScreens) {
    struct Case {
        const char* name;
        std::optional<ScreenDescription> screen;
        bool hasNotch;
        double width;
        double height;
    };
    const QRectF frame(0, 0, 1512, 982);
    const std::vector<Case> cases{
        {"plain screen", ScreenDescription{frame, 0, {}, {}}, false, 0, 32},
        {"no screen at all", std::nullopt, false, 0, 32},
        {"housing with both strips", ScreenDescription{frame, 38, QRectF(0, 0, 660, 38), QRectF(852, 0, 660, 38)},
         true, 196, 38},
        {"housing with a strip missing", ScreenDescription{frame, 38, QRectF(0, 0, 660, 38), std::nullopt}, true,
         185, 38},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NotchGeometry geometry(c.screen);
        EXPECT_EQ(geometry.hasNotch(), c.hasNotch);
        EXPECT_EQ(geometry.notchWidth(), c.width);
        EXPECT_EQ(geometry.notchHeight(), c.height);
        EXPECT_FALSE(geometry.isPresented());
    }
}

TEST(NotchGeometry, UpdateNotifiesAndLeavesPresentationAlone) {
    NotchGeometry geometry(ScreenDescription{QRectF(0, 0, 800, 600), 0, {}, {}});
    geometry.setPresented(true);
    int notifications = 0;
    auto connection = geometry.changed.connect([&] { ++notifications; });
    geometry.update(ScreenDescription{QRectF(0, 0, 800, 600), 30, {}, {}});
    EXPECT_GT(notifications, 0);
    EXPECT_TRUE(geometry.isPresented());
    EXPECT_EQ(geometry.notchWidth(), 185);
}

TEST(NotchShape, CurvesOnlyTheBottomCornersAndInsetsAccumulate) {
    const QRectF rect(0, 0, 100, 40);
    const QPainterPath rounded = NotchShape{10, 0}.path(rect);
    EXPECT_TRUE(rounded.contains(QPointF(0.5, 0.5)));   // square top corner
    EXPECT_FALSE(rounded.contains(QPointF(0.5, 39.5))); // curved bottom corner
    EXPECT_TRUE(rounded.contains(QPointF(50, 39.5)));

    const NotchShape twice = NotchShape{10, 0}.inset(3).inset(3);
    EXPECT_EQ(twice.insetAmount, 6);
    EXPECT_EQ(twice.bottomCornerRadius, 10);
    // An inset at or beyond the radius leaves square corners.
    const QPainterPath square = NotchShape{10, 10}.path(rect);
    EXPECT_EQ(square.boundingRect(), QRectF(10, 10, 80, 20));
    EXPECT_TRUE(square.contains(QPointF(10.5, 29.5)));
}

TEST(ScreenUnderPointer, PicksTheContainingScreenElseThePrimaryElseTheFirst) {
    const std::vector<ScreenDescription> screens{{QRectF(0, 0, 1000, 800), 0, {}, {}},
                                                 {QRectF(1000, 0, 800, 600), 0, {}, {}}};
    EXPECT_EQ(screenUnderPointer(screens, 0, {1200, 100})->frame, screens[1].frame);
    EXPECT_EQ(screenUnderPointer(screens, 0, {1000, 100})->frame, screens[1].frame); // the shared edge
    EXPECT_EQ(screenUnderPointer(screens, 1, {1200, 700})->frame, screens[1].frame); // in the gap: primary
    EXPECT_EQ(screenUnderPointer(screens, std::nullopt, {1200, 700})->frame, screens[0].frame);
    EXPECT_FALSE(screenUnderPointer({}, std::nullopt, {0, 0}).has_value());
}

} // namespace
} // namespace ostrelvirorez
