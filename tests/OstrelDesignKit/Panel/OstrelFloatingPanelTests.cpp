#include "OstrelDesignKit/Panel/OstrelFloatingPanel.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QLabel>

namespace ostreldesignkit {
namespace {

TEST(OstrelFloatingPanel, HeaderButtonsOnlyForGivenActionsExpandBeforeClose) {
    testing::kitApplication();
    OstrelFloatingPanel bare(QStringLiteral("Status"), std::nullopt, {}, {});
    EXPECT_EQ(bare.headerButton("Expand"), nullptr);
    EXPECT_EQ(bare.headerButton("Close"), nullptr);

    int expanded = 0;
    int closed = 0;
    OstrelFloatingPanel full(QStringLiteral("Status"), std::string("waveform"), [&] { ++expanded; },
                             [&] { ++closed; });
    full.addContent(new QLabel(QStringLiteral("Ready"))); // owned by the panel
    full.resize(240, 300);
    full.show();
    QAbstractButton* expand = full.headerButton("Expand");
    QAbstractButton* close = full.headerButton("Close");
    ASSERT_NE(expand, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_LT(expand->x(), close->x());
    close->click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(expanded, 0);

    QImage image(full.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    full.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    testing::expectLooksAsKept(image, "floating-panel");
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);                 // rounded corner
    EXPECT_NEAR(image.pixelColor(120, 280).alphaF(), 0.05, 0.01); // card fill below the content
}

TEST(OstrelPanelToggleButton, OnlyTheSymbolColourFollowsTheActiveState) {
    testing::kitApplication();
    OstrelPanelToggleButton toggle("sidebar.left", false, QStringLiteral("Show panel"));
    const QSize size = toggle.size();
    EXPECT_EQ(toggle.symbolColor(), Color::ostrelTextSecondary());
    toggle.setActive(true);
    EXPECT_EQ(toggle.symbolColor(), Color::ostrelAccent());
    EXPECT_EQ(toggle.size(), size);
    EXPECT_EQ(toggle.toolTip(), QStringLiteral("Show panel"));
}

} // namespace
} // namespace ostreldesignkit
