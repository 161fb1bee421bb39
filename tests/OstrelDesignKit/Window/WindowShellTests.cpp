#include "OstrelDesignKit/Window/OstrelTrafficLights.hpp"
#include "OstrelDesignKit/Window/SidebarResize.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QVBoxLayout>

namespace ostreldesignkit {
namespace {

TEST(SidebarResize, ClampsLiveAndStartsEachDragFromTheClampedWidth) {
    SidebarResize resize(220, 180, 320);
    resize.dragChanged(100);
    resize.dragChanged(500);
    EXPECT_EQ(resize.width(), 320);
    resize.dragEnded();
    resize.dragChanged(-50);
    EXPECT_EQ(resize.width(), 270);
    resize.dragChanged(-500);
    EXPECT_EQ(resize.width(), 180);
    resize.dragEnded();
    EXPECT_FALSE(resize.isDragging());
}

TEST(SidebarResize, TinyTravelDoesNotStartADragAndIdealWidthHoldsUntilTheFirst) {
    SidebarResize resize(400, 180, 320);
    resize.dragChanged(0.5);
    EXPECT_FALSE(resize.isDragging());
    EXPECT_EQ(resize.width(), 400);
    resize.dragChanged(1);
    EXPECT_EQ(resize.width(), 320);
}

TEST(SidebarResize, UpperLimitWinsWhenLimitsCross) {
    SidebarResize resize(220, 300, 200);
    resize.dragChanged(-100);
    EXPECT_EQ(resize.width(), 200);
    resize.dragChanged(100);
    EXPECT_EQ(resize.width(), 200);
}

TEST(OstrelTrafficLights, HoverColoursTheWholeGroupAndLightsActOnTheWindow) {
    testing::kitApplication();
    EXPECT_EQ(TrafficLightLook::color(TrafficLight::close, false), TrafficLightLook::idle());
    EXPECT_EQ(TrafficLightLook::color(TrafficLight::zoom, false), TrafficLightLook::idle());
    EXPECT_EQ(TrafficLightLook::hovered(TrafficLight::close).rgb(), QColor::fromRgbF(1.0f, 0.373f, 0.341f).rgb());
    EXPECT_EQ(OstrelTrafficLights::lightAt({6, 6}), TrafficLight::close);
    EXPECT_EQ(OstrelTrafficLights::lightAt({16, 6}), std::nullopt); // the gap
    EXPECT_EQ(OstrelTrafficLights::lightAt({46, 6}), TrafficLight::zoom);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);           // owned by window
    auto* lights = new OstrelTrafficLights(&window);   // owned by window
    layout->addWidget(lights);
    EXPECT_EQ(lights->size(), QSize(52, 12));
    window.show();
    QEnterEvent enter(QPointF(16, 6), QPointF(16, 6), QPointF(16, 6));
    QCoreApplication::sendEvent(lights, &enter);
    EXPECT_TRUE(lights->isHovering());
    QImage image(lights->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    lights->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    testing::expectLooksAsKept(image, "traffic-lights-hovered");
    EXPECT_GT(image.pixelColor(1, 6).red(), 200); // close is red at its rim
    lights->press(TrafficLight::close);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace ostreldesignkit
