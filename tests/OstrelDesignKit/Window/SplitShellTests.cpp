#include "OstrelDesignKit/Glass/GlassBackground.hpp"
#include "OstrelDesignKit/Window/OstrelHudBackground.hpp"
#include "OstrelDesignKit/Window/OstrelSplitShell.hpp"
#include "OstrelDesignKit/Window/OstrelTransparentWindow.hpp"
#include "OstrelDesignKit/Window/SplitShellGeometry.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <memory>
#include <vector>

namespace ostreldesignkit {
namespace {

struct GeometryCase {
    const char* name;
    double reveal;
    QRectF card;
    QRectF handle;
    QRectF content;
};

TEST(SplitShellGeometry, PlacesCardStripAndContentForEachReveal) {
    const std::vector<GeometryCase> cases{
        // 8 pt margin, the card 220 wide, the strip from 228 to 237, content from 237.
        {"shown", 1, {8, 8, 220, 744}, {228, 0, 9, 760}, {237, 0, 463, 760}},
        {"collapsed", 0, {-228, 8, 220, 744}, {-8, 0, 9, 760}, {0, 0, 700, 760}},
        {"half way", 0.5, {-110, 8, 220, 744}, {110, 0, 9, 760}, {118.5, 0, 581.5, 760}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parts = SplitShellGeometry::make({700, 760}, 220, c.reveal);
        EXPECT_EQ(parts.sidebarCard, c.card);
        EXPECT_EQ(parts.handle, c.handle);
        EXPECT_EQ(parts.content, c.content);
    }
}

class SplitShellTest : public ::testing::Test {
protected:
    SplitShellTest() {
        shell.resize(700, 760);
        shell.show();
    }

    // A drag of the strip by `travel` points, measured on the screen.
    void pressHandle() { mouse(QEvent::MouseButtonPress, 0, Qt::LeftButton, Qt::LeftButton); }
    void moveHandle(double travel) { mouse(QEvent::MouseMove, travel, Qt::NoButton, Qt::LeftButton); }
    void releaseHandle(double travel) { mouse(QEvent::MouseButtonRelease, travel, Qt::LeftButton, Qt::NoButton); }
    void drag(double travel) {
        pressHandle();
        moveHandle(travel);
        releaseHandle(travel);
    }

    QApplication& application = testing::kitApplication();
    ShellColors colors{QColor(20, 40, 200), 1.0, QColor(200, 30, 30), 1.0};
    OstrelSplitShell shell{colors, 180, 220, 320, new QWidget, new QWidget};

private:
    void mouse(QEvent::Type type, double travel, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF local(4, 300);
        const QPointF global(1000 + travel, 300);
        QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&shell.resizeHandle(), &event);
    }
};

TEST_F(SplitShellTest, DraggingTheStripClampsLiveAndEachDragStartsFromTheClampedWidth) {
    pressHandle();
    moveHandle(100);
    moveHandle(500);
    EXPECT_EQ(shell.sidebarWidth(), 320);
    EXPECT_EQ(shell.content().geometry().left(), 320 + 17) << "the content follows the card's edge";
    EXPECT_EQ(shell.resizeHandle().geometry().left(), 320 + 8);
    releaseHandle(500);

    drag(-500);
    EXPECT_EQ(shell.sidebarWidth(), 180);
    drag(30);
    EXPECT_EQ(shell.sidebarWidth(), 210) << "from the clamped width, not from the pointer";
}

TEST_F(SplitShellTest, AClickOnTheStripLeavesTheWidth) {
    pressHandle();
    releaseHandle(0);
    EXPECT_EQ(shell.sidebarWidth(), 220);
    moveHandle(40); // no button held any more
    EXPECT_EQ(shell.sidebarWidth(), 220);
}

TEST_F(SplitShellTest, CollapsingHidesCardAndStripAndKeepsTheDraggedWidth) {
    drag(60);
    ASSERT_EQ(shell.sidebarWidth(), 280);
    shell.setSidebarCollapsed(true);
    EXPECT_FALSE(shell.sidebar().isVisible());
    EXPECT_FALSE(shell.resizeHandle().isVisible());
    EXPECT_EQ(shell.content().geometry(), QRect(0, 0, 700, 760));

    shell.setSidebarCollapsed(false);
    EXPECT_TRUE(shell.sidebar().isVisible());
    EXPECT_EQ(shell.sidebarWidth(), 280);
    EXPECT_EQ(shell.sidebar().geometry(), QRect(8, 8, 280, 744));
}

TEST_F(SplitShellTest, AnimatedCollapseSlidesTheCardOutToTheLeadingEdge) {
    shell.setSidebarCollapsed(true, true);
    QVariantAnimation& animation = shell.collapseAnimation();
    EXPECT_EQ(animation.duration(), 200);
    EXPECT_EQ(animation.easingCurve().type(), QEasingCurve::InOutQuad);
    animation.setCurrentTime(100);
    EXPECT_TRUE(shell.sidebar().isVisible());
    EXPECT_LT(shell.sidebar().geometry().left(), 8);
    EXPECT_GT(shell.content().geometry().left(), 0);
    EXPECT_LT(shell.content().geometry().left(), 237);
    animation.setCurrentTime(200);
    EXPECT_FALSE(shell.sidebar().isVisible());
    EXPECT_EQ(shell.content().geometry().left(), 0);
}

TEST_F(SplitShellTest, PaintsTheTintOverTheWholeWidgetAndTheCardWithItsOwnColour) {
    QImage image(shell.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    shell.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    testing::expectLooksAsKept(image, "split-shell");
    EXPECT_EQ(image.pixelColor(400, 400).rgb(), QColor(20, 40, 200).rgb()) << "content column";
    EXPECT_EQ(image.pixelColor(3, 400).rgb(), QColor(20, 40, 200).rgb()) << "card margin";
    EXPECT_EQ(image.pixelColor(100, 400).rgb(), QColor(200, 30, 30).rgb()) << "sidebar card";

    shell.setSidebarCollapsed(true);
    image.fill(Qt::transparent);
    shell.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    testing::expectLooksAsKept(image, "split-shell-collapsed");
    EXPECT_EQ(image.pixelColor(100, 400).rgb(), QColor(20, 40, 200).rgb());
}

TEST(OstrelHudBackground, LaysTheTintOverTheBlurStandIn) {
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        OstrelHudBackground{QColor(13, 13, 13), 0}.paint(painter, QRectF(0, 0, 10, 10));
    }
    EXPECT_EQ(image.pixelColor(5, 5).alpha(), GlassBackground::materialFill().alpha()) << "tint at opacity 0";

    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        OstrelHudBackground{QColor(13, 13, 13), 0.95}.paint(painter, QRectF(0, 0, 10, 10));
    }
    const QColor pixel = image.pixelColor(5, 5);
    EXPECT_GT(pixel.alphaF(), 0.95);
    EXPECT_LT(pixel.alphaF(), 1.0) << "still translucent";
    EXPECT_NEAR(pixel.red(), 13, 8);
}

TEST(OstrelTransparentWindow, MakesTheHostingWindowTransparentOnTheNextTurn) {
    testing::kitApplication();
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* content = new QWidget(&window); // owned by window
    window.show();
    ostrelTransparentWindow(*content, QSize(300, 200));
    EXPECT_FALSE(window.testAttribute(Qt::WA_TranslucentBackground)) << "deferred";

    QCoreApplication::processEvents();
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint)) << "no title and no standard buttons";
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_EQ(window.windowType(), Qt::Window);
    EXPECT_EQ(window.minimumSize(), QSize(300, 200));
    EXPECT_TRUE(window.isVisible()) << "a window on screen stays there";
}

TEST(OstrelTransparentWindow, AViewOutsideAnyWindowOrGoneChangesNothing) {
    testing::kitApplication();
    QWidget alone;
    ostrelTransparentWindow(alone);
    auto window = std::make_unique<QWidget>();
    auto* content = new QWidget(window.get()); // owned by window
    ostrelTransparentWindow(*content);
    window.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(alone.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(alone.windowFlags().testFlag(Qt::FramelessWindowHint));
}

} // namespace
} // namespace ostreldesignkit
