#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QGraphicsDropShadowEffect>
#include <QVBoxLayout>

#include <vector>

namespace ostreldesignkit {
namespace {

TEST(OstrelStatusDot, GlowsOnlyWhenAsked) {
    const QColor green(0, 200, 0);
    const OstrelStatusDot plain{green, 8, false};
    EXPECT_EQ(plain.haloColor().alpha(), 0);
    EXPECT_EQ(plain.haloRadius(), 0);
    const OstrelStatusDot glowing{green, 8, true};
    EXPECT_EQ(glowing.haloColor().rgb(), green.rgb());
    EXPECT_NEAR(glowing.haloColor().alphaF(), 0.5, 0.003);
    EXPECT_EQ(glowing.haloRadius(), 4);

    testing::kitApplication();
    OstrelStatusDotWidget widget(glowing);
    EXPECT_EQ(widget.size(), QSize(8, 8)); // the halo adds nothing to the frame
    const auto* halo = qobject_cast<QGraphicsDropShadowEffect*>(widget.graphicsEffect());
    ASSERT_NE(halo, nullptr);
    EXPECT_EQ(halo->offset(), QPointF(0, 0));
}

TEST(OstrelBadges, PillAndCountLooks) {
    const QColor tint(200, 50, 50);
    struct Case {
        const char* name;
        OstrelPillBadgeStyle style;
        QColor fill;
        QColor text;
    };
    for (const auto& c : std::vector<Case>{{"soft", OstrelPillBadgeStyle::soft, Color::withOpacity(tint, 0.18), tint},
                                           {"solid", OstrelPillBadgeStyle::solid, tint, Qt::white}}) {
        SCOPED_TRACE(c.name);
        const OstrelPillBadge badge{QStringLiteral("Beta"), tint, c.style};
        EXPECT_EQ(badge.shownText(), QStringLiteral("BETA"));
        EXPECT_EQ(badge.text, QStringLiteral("Beta"));
        EXPECT_EQ(badge.fill().rgba(), c.fill.rgba());
        EXPECT_EQ(badge.textColor().rgba(), c.text.rgba());
    }
    EXPECT_EQ((OstrelCountBadge{1234567, tint}.shownText()), QStringLiteral("1234567"));
    EXPECT_EQ((OstrelCountBadge{-42, tint}.shownText()), QStringLiteral("-42"));
}

TEST(OstrelDivider, IsInsetTwelvePointsOnEachSide) {
    EXPECT_EQ(OstrelDividerLook::length(300), 276);
    testing::kitApplication();
    QWidget host;
    host.resize(300, 20);
    auto* layout = new QVBoxLayout(&host); // owned by host
    layout->setContentsMargins(0, 0, 0, 0);
    auto* divider = new OstrelDividerWidget(&host); // owned by host
    layout->addWidget(divider);
    layout->activate();
    EXPECT_EQ(divider->height(), 1);
    QImage image(divider->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    divider->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(11, 0).alpha(), 0);
    EXPECT_GT(image.pixelColor(12, 0).alpha(), 0);
    EXPECT_GT(image.pixelColor(287, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(288, 0).alpha(), 0);
}

} // namespace
} // namespace ostreldesignkit
